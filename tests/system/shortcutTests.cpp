// Shortcuts written through the real shell link object and read back the same way, in the
// test prefix's real Programs and Startup folders.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>

#include "support/testPaths.h"
#include "system/shortcuts.h"

namespace {

std::string programsFolder()
{
    const char *appData = getenv("APPDATA");
    return std::string(appData != NULL ? appData : "") + "\\Microsoft\\Windows\\Start Menu\\Programs";
}

std::string startupFolder()
{
    return programsFolder() + "\\StartUp";
}

struct LinkContents {
    bool loaded = false;
    std::string path, description, workingDirectory, arguments, iconPath;
    int iconIndex = -1;
    uint32_t flags = 0;    // the header's link flags
    uint32_t showCmd = 0;  // from the header: Wine's GetShowCmd after Load always says 1
};

const uint32_t hasArguments = 0x20;

uint32_t headerValue(const std::string &bytes, size_t offset)
{
    if (bytes.size() < offset + 4)
        return 0xFFFFFFFF;
    uint32_t value;
    memcpy(&value, bytes.data() + offset, 4);
    return value;
}

LinkContents readLink(const std::string &path)
{
    LinkContents contents;
    std::string bytes = readFile(path);
    contents.flags = headerValue(bytes, 0x14);
    contents.showCmd = headerValue(bytes, 0x3C);

    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    if (CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void **>(&link)) >= 0) {
        IPersistFile *file = NULL;
        if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)) >= 0) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            if (file->Load(wide, STGM_READ) >= 0) {
                contents.loaded = true;
                char text[1024];
                text[0] = '\0';
                link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
                contents.path = text;
                text[0] = '\0';
                link->GetDescription(text, sizeof text);
                contents.description = text;
                text[0] = '\0';
                link->GetWorkingDirectory(text, sizeof text);
                contents.workingDirectory = text;
                text[0] = '\0';
                link->GetArguments(text, sizeof text);
                contents.arguments = text;
                text[0] = '\0';
                link->GetIconLocation(text, sizeof text, &contents.iconIndex);
                contents.iconPath = text;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return contents;
}

std::set<std::string> folderEntries(const std::string &folder)
{
    std::vector<std::string> names = matchingNames(folder + "\\*");
    return std::set<std::string>(names.begin(), names.end());
}

// The folder's file index: a folder removed and made again gets another one.
unsigned long long folderIdentity(const std::string &folder)
{
    HANDLE handle = CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION information;
    unsigned long long identity = 0;
    if (GetFileInformationByHandle(handle, &information))
        identity = ((unsigned long long)information.nFileIndexHigh << 32) |
                   information.nFileIndexLow;
    CloseHandle(handle);
    return identity;
}

// A routine that left its CoInitialize unbalanced would keep this thread in its
// single-threaded apartment, and the multi-threaded one could not be entered.
void expectComReleased()
{
    HRESULT result = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    EXPECT_EQ(result, S_OK) << "COM is still initialised on the thread";
    if (result >= 0)
        CoUninitialize();
}

class Shortcuts : public ::testing::Test {
protected:
    std::string installed;  // stands for the data folder with the installed files
    std::string program, uninstaller;

    void SetUp() override
    {
        installed = scratchFolder("shortcuts");
        program = installed + "\\velmorant.exe";
        uninstaller = installed + "\\qxuninst.exe";
        ASSERT_TRUE(writeFile(program, "MZ program"));
        ASSERT_TRUE(writeFile(uninstaller, "MZ uninstaller"));
        ASSERT_TRUE(folderExists(programsFolder())) << programsFolder();
    }
};

TEST_F(Shortcuts, ProgramAndUninstallLinksLandInTheGroup)
{
    std::string group = programsFolder() + "\\Velmorant";
    removeTree(group);
    ASSERT_FALSE(folderExists(group));

    EXPECT_EQ(createShortcut("Velmorant", "Velmorant", program.c_str(), installed.c_str(), NULL), 0u);
    expectComReleased();
    EXPECT_EQ(createShortcut("Velmorant", "Uninstall", uninstaller.c_str(), installed.c_str(), NULL),
              0u);
    expectComReleased();

    struct Expected {
        const char *file;
        std::string target;
        const char *description;
    };
    const Expected links[] = {
        {"Velmorant.lnk", program, "Velmorant"},
        {"Uninstall.lnk", uninstaller, "Uninstall"},
    };
    for (const Expected &e : links) {
        SCOPED_TRACE(e.file);
        LinkContents link = readLink(group + "\\" + e.file);
        ASSERT_TRUE(link.loaded);
        EXPECT_EQ(link.path, e.target);
        EXPECT_EQ(link.description, e.description);
        EXPECT_EQ(link.workingDirectory, installed);
        EXPECT_EQ(link.arguments, "");
        EXPECT_EQ(link.flags & hasArguments, 0u) << "arguments were set";
        EXPECT_EQ(link.iconPath, e.target);
        EXPECT_EQ(link.iconIndex, 0);
        EXPECT_EQ(link.showCmd, 1u);
    }
    // Nothing else was written: no doubled extension, no other file.
    EXPECT_FALSE(fileExists(group + "\\Uninstall.lnk.lnk"));
    EXPECT_FALSE(fileExists(programsFolder() + "\\Velmorant.lnk"));
}

TEST_F(Shortcuts, StartupLinkIsMinimizedDirectlyInTheStartupFolder)
{
    std::string link = startupFolder() + "\\Velmorant Agent.lnk";
    DeleteFileA(link.c_str());
    EXPECT_EQ(createShortcut(NULL, "Velmorant Agent", program.c_str(), installed.c_str(),
                             "-minimized -x"),
              0u);
    expectComReleased();
    LinkContents contents = readLink(link);
    ASSERT_TRUE(contents.loaded);
    EXPECT_EQ(contents.path, program);
    EXPECT_EQ(contents.description, "Velmorant Agent");
    EXPECT_EQ(contents.workingDirectory, installed);
    EXPECT_EQ(contents.arguments, "-minimized -x");
    EXPECT_NE(contents.flags & hasArguments, 0u);
    EXPECT_EQ(contents.iconPath, program);
    EXPECT_EQ(contents.iconIndex, 0);
    EXPECT_EQ(contents.showCmd, 2u);
    EXPECT_FALSE(folderExists(startupFolder() + "\\Velmorant Agent"));
    EXPECT_FALSE(fileExists(programsFolder() + "\\Velmorant Agent.lnk"));
}

TEST_F(Shortcuts, StaleDoubledLinkGoesAndTheLinkIsOverwritten)
{
    std::string group = programsFolder() + "\\Velmorant";
    CreateDirectoryA(group.c_str(), NULL);
    ASSERT_TRUE(writeFile(group + "\\Uninstall.lnk.lnk", "left by an old setup"));
    ASSERT_TRUE(writeFile(group + "\\Uninstall.lnk", "not a link at all"));
    EXPECT_EQ(createShortcut("Velmorant", "Uninstall", uninstaller.c_str(), installed.c_str(), NULL),
              0u);
    EXPECT_FALSE(fileExists(group + "\\Uninstall.lnk.lnk"));
    std::string bytes = readFile(group + "\\Uninstall.lnk");
    ASSERT_GE(bytes.size(), 0x4Cu);
    EXPECT_EQ(headerValue(bytes, 0), 0x4Cu) << "not a shell link header";
    LinkContents link = readLink(group + "\\Uninstall.lnk");
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.path, uninstaller);
}

TEST_F(Shortcuts, ExistingGroupFolderIsUsedAsItIs)
{
    std::string group = programsFolder() + "\\Velmorant Existing";
    removeTree(group);
    ASSERT_TRUE(CreateDirectoryA(group.c_str(), NULL));
    ASSERT_TRUE(writeFile(group + "\\keep.txt", "the user's own file"));
    unsigned long long before = folderIdentity(group);
    ASSERT_NE(before, 0u);

    EXPECT_EQ(createShortcut("Velmorant Existing", "Velmorant", program.c_str(), installed.c_str(),
                             NULL),
              0u);
    EXPECT_EQ(readFile(group + "\\keep.txt"), "the user's own file");
    EXPECT_EQ(folderIdentity(group), before) << "the folder was made anew";
    EXPECT_TRUE(readLink(group + "\\Velmorant.lnk").loaded);
}

TEST_F(Shortcuts, FileInPlaceOfTheGroupFolderFails)
{
    std::string blocker = programsFolder() + "\\Velmorant Blocked";
    removeTree(blocker);
    DeleteFileA(blocker.c_str());
    ASSERT_TRUE(writeFile(blocker, "a file, not a folder"));
    EXPECT_NE(createShortcut("Velmorant Blocked", "Velmorant", program.c_str(), installed.c_str(),
                             NULL),
              0u);
    expectComReleased();  // the failed save released everything too
    EXPECT_TRUE(fileExists(blocker));
    EXPECT_EQ(readFile(blocker), "a file, not a folder");
}

// 259 characters of link path fit the shell's 260-byte buffers; one more is refused before
// anything is made.
TEST_F(Shortcuts, LinkPathLongerThanTheShellBufferIsRefused)
{
    const std::string groupName = "Velmorant Long";
    std::string group = programsFolder() + "\\" + groupName;
    size_t fixed = group.size() + 1 + 4;  // "\" and ".lnk"
    ASSERT_LT(fixed, 200u);

    removeTree(group);
    std::string longest(259 - fixed, 'n');
    EXPECT_EQ(createShortcut(groupName.c_str(), longest.c_str(), program.c_str(),
                             installed.c_str(), NULL),
              0u);
    EXPECT_TRUE(readLink(group + "\\" + longest + ".lnk").loaded);

    removeTree(group);
    RemoveDirectoryA(group.c_str());
    ASSERT_FALSE(folderExists(group));
    std::string tooLong(260 - fixed, 'n');
    EXPECT_NE(createShortcut(groupName.c_str(), tooLong.c_str(), program.c_str(),
                             installed.c_str(), NULL),
              0u);
    EXPECT_FALSE(folderExists(group)) << "the group folder was made for a link that cannot be";

    std::set<std::string> startupBefore = folderEntries(startupFolder());
    std::string startupName(260 - startupFolder().size() - 5, 's');
    EXPECT_NE(createShortcut(NULL, startupName.c_str(), program.c_str(), installed.c_str(), NULL),
              0u);
    EXPECT_EQ(folderEntries(startupFolder()), startupBefore);

    std::set<std::string> programsBefore = folderEntries(programsFolder());
    std::string longGroup(260 - programsFolder().size() - 1, 'g');
    EXPECT_NE(createShortcut(longGroup.c_str(), "Velmorant", program.c_str(), installed.c_str(),
                             NULL),
              0u);
    EXPECT_EQ(folderEntries(programsFolder()), programsBefore);
    expectComReleased();
}

}  // namespace
