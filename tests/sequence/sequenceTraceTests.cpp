// The setup sequence's own decisions and their order, traced in-process. The program's parts
// and the platform calls with outside effects are replaced at link time (ld --wrap) by
// recorders that log the call and give a scripted answer; windows, the registry and the INI
// file stay real where the trace forwards to them.
#include <gtest/gtest.h>

#include <process.h>
#include <stdarg.h>
#include <stdint.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "payload/extraction.h"
#include "setup/setupSequence.h"
#include "support/testPaths.h"
#include "ui/backgroundWindow.h"
#include "ui/dataFolderChoice.h"
#include "ui/setupDialogs.h"

namespace {

std::vector<std::string> trace;

// The script of one run.
struct Script {
    DWORD platform = VER_PLATFORM_WIN32_NT;
    bool versionFails = false;
    std::deque<std::string> folders = {"C:\\velmorant-tests\\trace"};
    // Free clusters per GetDiskFreeSpaceA call (8 sectors of 512 bytes); -1 = the call fails.
    std::deque<long> freeClusters = {100000};
    int extractResult = EXTRACT_SUCCESS;
    int removeServiceResult = 0;
    intptr_t spawnResult = 0;
    std::map<std::string, int> answers;  // message box title -> button; IDOK otherwise
    std::map<std::string, std::string> texts;  // message box title -> its text
};
Script script;

void log(const std::string &entry)
{
    trace.push_back(entry);
}

std::string windowTitle(HWND window)
{
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

}  // namespace

extern "C" {

// The platform's own entries, reached through the linker's __real_ names.
extern decltype(&WritePrivateProfileStringA) __real___imp_WritePrivateProfileStringA;
extern decltype(&DestroyWindow) __real___imp_DestroyWindow;
extern decltype(&DeleteObject) __real___imp_DeleteObject;
extern decltype(&RegCreateKeyExA) __real___imp_RegCreateKeyExA;
extern decltype(&_chdir) __real___imp__chdir;

static int WINAPI tracedMessageBox(HWND owner, LPCSTR text, LPCSTR title, UINT style)
{
    log("box:" + std::string(title) + (owner == backgroundWindow ? "" : " (not owned)") +
        " style " + std::to_string(style));
    script.texts[title] = text;
    auto answer = script.answers.find(title);
    return answer != script.answers.end() ? answer->second : IDOK;
}

static INT_PTR WINAPI tracedDialogBox(HINSTANCE, LPCSTR name, HWND, DLGPROC, LPARAM)
{
    log("dialog:" + std::to_string((uintptr_t)name));
    return 1;  // the agreement accepted
}

static UINT WINAPI tracedWinExec(LPCSTR command, UINT show)
{
    log("winexec:" + std::string(command) + " show " + std::to_string(show));
    return 33;
}

static BOOL WINAPI tracedWriteProfile(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    log(std::string("ini:") + section + "/" + key + "=" + value + " in " + file);
    return __real___imp_WritePrivateProfileStringA(section, key, value, file);
}

static BOOL WINAPI tracedDestroyWindow(HWND window)
{
    log("destroy:" + windowTitle(window));
    return __real___imp_DestroyWindow(window);
}

static BOOL WINAPI tracedDeleteObject(HGDIOBJ object)
{
    if (object == titleFont)
        log("delete title font");
    return __real___imp_DeleteObject(object);
}

static LONG WINAPI tracedRegCreateKey(HKEY root, LPCSTR key, DWORD reserved, LPSTR keyClass,
                                      DWORD options, REGSAM access,
                                      LPSECURITY_ATTRIBUTES security, PHKEY result,
                                      LPDWORD disposition)
{
    log(std::string("registry:") + key);
    return __real___imp_RegCreateKeyExA(root, key, reserved, keyClass, options, access, security,
                                        result, disposition);
}

static BOOL WINAPI tracedVersion(LPOSVERSIONINFOA version)
{
    if (version->dwOSVersionInfoSize != 148 || script.versionFails)
        return FALSE;
    version->dwPlatformId = script.platform;
    return TRUE;
}

static BOOL WINAPI tracedDiskFree(LPCSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD freeClusters,
                                  LPDWORD totalClusters)
{
    log(std::string("diskfree:") + root);
    long clusters = script.freeClusters.empty() ? 100000 : script.freeClusters.front();
    if (!script.freeClusters.empty())
        script.freeClusters.pop_front();
    if (clusters < 0)
        return FALSE;
    *sectors = 8;
    *bytes = 512;
    *freeClusters = (DWORD)clusters;
    *totalClusters = 1000000;
    return TRUE;
}

static intptr_t __cdecl tracedSpawn(int mode, const char *path, const char *argument, ...)
{
    std::string entry = "spawn:" + std::to_string(mode) + " " + path + " |";
    va_list rest;
    va_start(rest, argument);
    for (const char *a = argument; a != NULL; a = va_arg(rest, const char *))
        entry += std::string(a) + "|";
    va_end(rest);
    log(entry);
    return script.spawnResult;
}

static int __cdecl tracedChdir(const char *path)
{
    log(std::string("chdir:") + path);
    return __real___imp__chdir(path);
}

decltype(&MessageBoxA) __wrap___imp_MessageBoxA = tracedMessageBox;
decltype(&DialogBoxParamA) __wrap___imp_DialogBoxParamA = tracedDialogBox;
decltype(&WinExec) __wrap___imp_WinExec = tracedWinExec;
decltype(&WritePrivateProfileStringA) __wrap___imp_WritePrivateProfileStringA = tracedWriteProfile;
decltype(&DestroyWindow) __wrap___imp_DestroyWindow = tracedDestroyWindow;
decltype(&DeleteObject) __wrap___imp_DeleteObject = tracedDeleteObject;
decltype(&RegCreateKeyExA) __wrap___imp_RegCreateKeyExA = tracedRegCreateKey;
decltype(&GetVersionExA) __wrap___imp_GetVersionExA = tracedVersion;
decltype(&GetDiskFreeSpaceA) __wrap___imp_GetDiskFreeSpaceA = tracedDiskFree;
decltype(&tracedSpawn) __wrap___imp__spawnl = tracedSpawn;
decltype(&tracedChdir) __wrap___imp__chdir = tracedChdir;

// The program's parts (C++ names as the compiler spells them).
int __wrap__Z16chooseDataFolderP11HINSTANCE__P6HWND__i(HINSTANCE, HWND owner, int alwaysAsk)
{
    log("chooseDataFolder" + std::string(owner == backgroundWindow ? "" : " (not owned)") +
        (alwaysAsk ? " always asking" : ""));
    if (script.folders.empty())
        return 0;
    strcpy(dataFolder, script.folders.front().c_str());
    script.folders.pop_front();
    return 1;
}
void __wrap__Z18closeRunningCopiesP11HINSTANCE__P6HWND__(HINSTANCE, HWND)
{
    log("closeRunningCopies");
}
int __wrap__Z16removeOldServicev()
{
    log("removeOldService");
    return script.removeServiceResult;
}
void __wrap__Z18pauseWithAnimationi(int milliseconds)
{
    log("pause:" + std::to_string(milliseconds));
}
int __wrap__Z14extractPayloadP6HWND__PFvS0_PKciE(HWND window, ProgressRoutine progress)
{
    log("extract into " + windowTitle(window) +
        (progress == showProgress ? " with showProgress" : " with another routine"));
    return script.extractResult;
}
int __wrap__Z18removePayloadFilesP6HWND__PFvS0_PKciE(HWND window, ProgressRoutine progress)
{
    log(std::string("removePayloadFiles") + (window == NULL && progress == NULL ? "" : " (with arguments)"));
    return 4;
}
int __wrap__Z14createShortcutPKcS0_S0_S0_S0_(const char *group, const char *name, const char *target,
                                             const char *folder, const char *arguments)
{
    log(std::string("shortcut:") + (group != NULL ? group : "(startup)") + "/" + name + " -> " +
        target + " in " + folder + (arguments != NULL ? std::string(" args ") + arguments : ""));
    return 0;
}

}  // extern "C"

namespace {

const std::string folder = "C:\\velmorant-tests\\trace";
const std::string boxStyleWarning = " style 48";

class Trace : public ::testing::Test {
protected:
    void SetUp() override
    {
        trace.clear();
        script = Script();
        CreateDirectoryA("C:\\velmorant-tests", NULL);
        CreateDirectoryA(folder.c_str(), NULL);
    }
    void TearDown() override
    {
        // An early end leaves the window to the end of the process; a second run in this
        // process needs the class free again.
        if (IsWindow(backgroundWindow))
            __real___imp_DestroyWindow(backgroundWindow);
        UnregisterClassA("install", GetModuleHandleA(NULL));
        _chdir("C:\\");
    }
    std::vector<std::string> run()
    {
        EXPECT_EQ(runSetup(GetModuleHandleA(NULL)), 0);
        return trace;
    }
};

}  // namespace

TEST_F(Trace, NtFamilyWholeRun)
{
    script.answers["Installation Successful"] = IDYES;
    std::vector<std::string> expected = {
        "dialog:111",
        "chooseDataFolder always asking",
        "chdir:" + folder,
        "diskfree:C:\\",
        "closeRunningCopies",
        "box:Uninstalling Old Service (If Present)" + boxStyleWarning,
        "removeOldService",
        "pause:6000",
        "extract into Setup Progress with showProgress",
        "destroy:Setup Progress",  // before the first shortcut
        "shortcut:Velmorant/Velmorant -> " + folder + "\\velmorant.exe in " + folder,
        "shortcut:Velmorant/Uninstall -> " + folder + "\\qxuninst.exe in " + folder,
        "registry:Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant",
        "ini:Options/dataDir=" + folder + " in velmorant.ini",
        "spawn:0 " + folder + "\\nqlopsv.exe |\"" + folder + "\\nqlopsv.exe\"|-install|-sid=0|",
        "box:Installing Service style 0",
        "spawn:0 " + folder + "\\velmorantsvc.exe |\"" + folder + "\\velmorantsvc.exe\"|-install-service|",
        "box:Installation Successful style 4",
        "destroy:Install Velmorant",
        "delete title font",
        "winexec:\"" + folder + "\\velmorant.exe\" show 5",
    };
    EXPECT_EQ(run(), expected);
    EXPECT_EQ(machineRegistryText("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant",
                                  "UninstallString"),
              folder + "\\qxuninst.exe");
    EXPECT_EQ(script.texts["Installation Successful"],
              "Velmorant has been successfully installed on your system. Would you like to start "
              "Velmorant now?");
}

// Outside the NT family: no service step, and the startup entry without a question; the
// program starts at once, before the INI value is written.
TEST_F(Trace, Windows9xStartupEntryBeforeTheIniValue)
{
    script.platform = VER_PLATFORM_WIN32_WINDOWS;
    script.answers["Installation Successful"] = IDNO;
    std::vector<std::string> expected = {
        "dialog:111",
        "chooseDataFolder always asking",
        "chdir:" + folder,
        "diskfree:C:\\",
        "closeRunningCopies",
        "extract into Setup Progress with showProgress",
        "destroy:Setup Progress",
        "shortcut:Velmorant/Velmorant -> " + folder + "\\velmorant.exe in " + folder,
        "shortcut:Velmorant/Uninstall -> " + folder + "\\qxuninst.exe in " + folder,
        "registry:Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant",
        "shortcut:(startup)/Velmorant Agent -> " + folder + "\\velmorant.exe in " + folder +
            " args -minimized -x",
        "winexec:\"" + folder + "\\velmorant.exe\" -minimized -x\n show 5",
        "ini:Options/dataDir=" + folder + " in velmorant.ini",
        "spawn:0 " + folder + "\\nqlopsv.exe |\"" + folder + "\\nqlopsv.exe\"|-install|-sid=0|",
        "box:Installation Successful style 4",
        "destroy:Install Velmorant",  // No still tears down, and starts nothing
        "delete title font",
    };
    EXPECT_EQ(run(), expected);
}

// A platform that cannot be read counts as outside the NT family: no service step.
TEST_F(Trace, UnreadablePlatformIsNotNt)
{
    script.versionFails = true;
    for (const std::string &entry : run()) {
        EXPECT_EQ(entry.find("Service"), std::string::npos) << entry;
        EXPECT_NE(entry, "removeOldService");
    }
    EXPECT_EQ(trace.back(), "delete title font");
}

TEST_F(Trace, NoSpaceAsksForAnotherFolder)
{
    script.platform = VER_PLATFORM_WIN32_WINDOWS;
    script.folders = {"D:\\small", folder};
    script.freeClusters = {230, 256};  // 0.9 MB, then exactly 1 MB in 4096-byte clusters
    std::vector<std::string> got = run();
    std::vector<std::string> expected = {
        "dialog:111",
        "chooseDataFolder always asking",
        "chdir:D:\\small",
        "diskfree:D:\\",
        "box:Not Enough Disk Space" + boxStyleWarning,
        "chooseDataFolder always asking",
        "chdir:" + folder,
        "diskfree:C:\\",
        "closeRunningCopies",
    };
    ASSERT_GE(got.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + expected.size()), expected);
    EXPECT_EQ(script.texts["Not Enough Disk Space"],
              "Not enough free disk space is available on the drive you have specified. 1 "
              "megabytes of free space are required for the proper operation of the program. On "
              "drive D:\\ only 0 megabytes of free space are available.\r\n\r\nYou will be given "
              "another opportunity to choose a location for the software. You may wish to cancel "
              "the installation process, or use your Windows desktop to delete files, making more "
              "room for the program.");
}

TEST_F(Trace, NetworkFolderIsMeasuredOnTheCurrentDrive)
{
    script.platform = VER_PLATFORM_WIN32_WINDOWS;
    script.folders = {"\\\\server\\share\\Velmorant"};
    script.freeClusters = {-1};  // unreadable: the check is skipped
    std::vector<std::string> got = run();
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[3], "diskfree:C:/");
    EXPECT_EQ(got[4], "closeRunningCopies");
}

TEST_F(Trace, FailedExtractionShowsItsMessageAndRemovesTheFiles)
{
    const char *texts[] = {
        "The application was not able to create one of its component files. The disk is full, "
        "or a copy of the application is already running, or you do not have write access to "
        "the directory in which you are attempting to install the application. Check your "
        "available disk space, make sure the application is not running now, and run the setup "
        "program again.",
        "The application was unable to finish writing a file to disk. Your hard drive is "
        "probably full. Check your available disk space, make additional space available, and "
        "run the setup program again.",
        "Insufficient memory was available for the setup procedure. Close other applications "
        "and run the setup program again.",
    };
    for (int result = 1; result <= 3; ++result) {
        SCOPED_TRACE(result);
        SetUp();
        script.platform = VER_PLATFORM_WIN32_WINDOWS;
        script.extractResult = result;
        std::vector<std::string> got = run();
        std::vector<std::string> tail = {
            "extract into Setup Progress with showProgress",
            "box:Velmorant Installation Failed" + boxStyleWarning,
            "removePayloadFiles",
        };
        ASSERT_GE(got.size(), tail.size());
        EXPECT_EQ(std::vector<std::string>(got.end() - 3, got.end()), tail);
        EXPECT_EQ(script.texts["Velmorant Installation Failed"], texts[result - 1]);
        EXPECT_NE(FindWindowA(NULL, "Setup Progress"), (HWND)NULL);  // left on screen
        TearDown();
        DestroyWindow(FindWindowA(NULL, "Setup Progress"));
    }
}

TEST_F(Trace, OldServiceThatStaysEndsTheRun)
{
    script.removeServiceResult = -1;
    std::vector<std::string> got = run();
    std::vector<std::string> tail = {"removeOldService",
                                     "box:NT Service Not Uninstalled" + boxStyleWarning};
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(got.end() - 2, got.end()), tail);
}

TEST_F(Trace, ServiceProgramThatCannotStartIsReported)
{
    script.spawnResult = -1;
    script.answers["Installation Successful"] = IDNO;
    std::vector<std::string> got = run();
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got[got.size() - 4], "box:Service Installation Failed" + boxStyleWarning);
    EXPECT_EQ(got[got.size() - 3], "box:Installation Successful style 4");
}

TEST_F(Trace, CancelledFolderChoiceIsNotInstalled)
{
    script.folders.clear();
    std::vector<std::string> expected = {
        "dialog:111", "chooseDataFolder always asking",
        "box:Application Not Installed" + boxStyleWarning};
    EXPECT_EQ(run(), expected);
}

// Paths below a folder that cannot be named in full are refused before anything is written.
TEST_F(Trace, FolderTooLongForItsFilesIsRefusedBeforeWriting)
{
    // 1010 characters: "\velmorant.exe" makes 1024, one more than the buffer holds.
    script.folders = {"C:\\" + std::string(1007, 'v')};
    std::vector<std::string> got = run();
    ASSERT_GE(got.size(), 1u);
    EXPECT_EQ(got.back(), "box:Velmorant Installation Failed" + boxStyleWarning);
    for (const std::string &entry : got)
        EXPECT_EQ(entry.find("extract"), std::string::npos);
}
