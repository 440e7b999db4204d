// The application manifest as stored in the setup program's and the uninstaller's files: each
// asks to run elevated (they write below HKEY_LOCAL_MACHINE and Program Files) and names the
// systems the program was made for.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/administratorCheck.h"
#include "support/testPaths.h"

namespace {

// This build's setup.exe, or the one SETUP_PROGRAM names (the shipping i686 one).
std::string setupFile()
{
    const char *other = getenv("SETUP_PROGRAM");
    if (other == NULL)
        return buildFile("setup.exe");
    std::string path = std::string("Z:") + other;
    for (char &c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// The setup program and the uninstaller of the same build.
std::vector<std::string> programFiles()
{
    std::string setup = setupFile();
    return {setup, setup.substr(0, setup.rfind('\\')) + "\\uninstall\\qxuninst.exe"};
}

// The DllCharacteristics field of a program's PE header (at the same place in the 32- and the
// 64-bit optional header); -1 when the file is no PE program.
long dllCharacteristics(const std::string &file)
{
    std::string bytes = readFile(file);
    auto number = [&bytes](size_t at, size_t size) -> long {
        if (at + size > bytes.size())
            return -1;
        unsigned long value = 0;
        for (size_t i = size; i-- > 0;)
            value = value << 8 | (unsigned char)bytes[at + i];
        return (long)value;
    };
    long header = number(0x3C, 4);
    if (header < 0 || bytes.compare((size_t)header, 4, std::string("PE\0\0", 4)) != 0)
        return -1;
    return number((size_t)header + 24 + 70, 2);
}

// The text of the manifest resource (type 24, id 1); empty when the file has none.
std::string manifestText(const std::string &file)
{
    HMODULE module = LoadLibraryExA(file.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module, (HMODULE)NULL) << file;
    if (module == NULL)
        return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found != NULL) {
        const char *bytes = static_cast<const char *>(LockResource(LoadResource(module, found)));
        text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

// The values of every attribute name="..." of the elements called element, in order.
std::vector<std::string> attributeValues(const std::string &xml, const std::string &element,
                                         const std::string &name)
{
    std::vector<std::string> values;
    for (size_t at = xml.find("<" + element + " "); at != std::string::npos;
         at = xml.find("<" + element + " ", at + 1)) {
        size_t end = xml.find('>', at);
        std::string tag = xml.substr(at, end - at);
        size_t attribute = tag.find(" " + name + "=\"");
        if (attribute == std::string::npos) {
            values.push_back("<none>");
            continue;
        }
        size_t start = attribute + name.size() + 3;
        values.push_back(tag.substr(start, tag.find('"', start) - start));
    }
    return values;
}

}  // namespace

TEST(SetupManifest, RequiresAdministrator)
{
    for (const std::string &file : programFiles()) {
        SCOPED_TRACE(file);
        std::string xml = manifestText(file);
        ASSERT_FALSE(xml.empty()) << "no manifest resource";
        EXPECT_EQ(attributeValues(xml, "requestedExecutionLevel", "level"),
                  std::vector<std::string>({"requireAdministrator"}));
        EXPECT_EQ(attributeValues(xml, "requestedExecutionLevel", "uiAccess"),
                  std::vector<std::string>({"false"}));
        // Inside the trust section of the version 3 namespace, where the system looks for it.
        size_t trust = xml.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
        size_t level = xml.find("<requestedExecutionLevel ");
        ASSERT_NE(trust, std::string::npos);
        EXPECT_LT(trust, level);
        EXPECT_LT(level, xml.find("</trustInfo>"));
    }
}

// Elevation aside, the program asks the token itself. A token whose Administrators group
// only denies (a filtered or restricted one) is no administrator's: Wine gives no such token,
// so a stand-in of the calls hands the groups over.
TEST(AdministratorCheck, OnlyAnEnabledAdministratorsGroupCounts)
{
    static BYTE administrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};
    static DWORD attributes;
    AdvapiCalls calls = {};
    calls.equalSid = EqualSid;
    calls.getTokenInformation = [](HANDLE, TOKEN_INFORMATION_CLASS, LPVOID data, DWORD size,
                                   PDWORD used) WINAPI -> BOOL {
        *used = sizeof(TOKEN_GROUPS);
        if (size < sizeof(TOKEN_GROUPS))
            return FALSE;
        TOKEN_GROUPS *groups = static_cast<TOKEN_GROUPS *>(data);
        groups->GroupCount = 1;
        groups->Groups[0] = {administrators, attributes};
        return TRUE;
    };
    const DWORD enabled = SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_MANDATORY;
    const struct {
        DWORD attributes;
        int administrator;
    } cases[] = {{enabled, 1},
                 {enabled | SE_GROUP_USE_FOR_DENY_ONLY, 0},
                 {SE_GROUP_USE_FOR_DENY_ONLY, 0},
                 {0, 0}};
    for (const auto &c : cases) {
        attributes = c.attributes;
        EXPECT_EQ(tokenHoldsAdministrators(calls, NULL), c.administrator) << std::hex << c.attributes;
    }
}

TEST(SetupManifest, SupportedSystems)
{
    for (const std::string &file : programFiles()) {
        SCOPED_TRACE(file);
        std::string xml = manifestText(file);
        ASSERT_FALSE(xml.empty()) << "no manifest resource";
        // Vista, 7, 8, 8.1, 10 and 11.
        EXPECT_EQ(attributeValues(xml, "supportedOS", "Id"),
                  std::vector<std::string>({"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                                            "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                            "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                            "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));
        size_t compatibility = xml.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
        ASSERT_NE(compatibility, std::string::npos);
        EXPECT_LT(compatibility, xml.find("<supportedOS "));
    }
}

// Marked terminal-server aware: a terminal server gives them the system's own Windows folder,
// where the INI value is, instead of a per-user copy.
TEST(ProgramHeaders, TerminalServerAware)
{
    std::vector<std::string> files = programFiles();
    files.push_back(files[0].substr(0, files[0].rfind('\\')) + "\\product\\velmorant.exe");
    for (const std::string &file : files) {
        long characteristics = dllCharacteristics(file);
        ASSERT_GE(characteristics, 0) << file;
        EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE) << file;
    }
}
