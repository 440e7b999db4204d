// The setup sequence's own decisions and their order, traced in-process. The run is given a
// table of calls whose entries log the call and give a scripted answer; windows, the
// registry and the INI file stay real where the trace passes the call on to them.
#include <gtest/gtest.h>

#include <direct.h>
#include <stdint.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/resourceIds.h"
#include "setup/setupSequence.h"
#include "support/expectedTexts.h"
#include "support/testPaths.h"
#include "ui/setupDialogs.h"

// The settings and payload this test program links: every optional step on.
extern const InstallerSettings installerSettings;
extern const PayloadTable payloadTable;

namespace {

std::vector<std::string> trace;
SetupRun setupRun;
HWND progressWindow;

// The script of one run.
struct Script {
    bool runLockFree = true;
    bool payloadIntact = true;
    bool nt = true;
    uint32_t majorVersion = 6;
    bool administrator = true;
    bool desktopStarts = true;
    // The token and the desktop's user: an elevated administrator at the desktop by default.
    SignedInUser user = {1, DESKTOP_SAME, "", ""};
    bool holdsFolder = false;  // the chosen folder comes held, as the real choice holds it
    // Writes refused, with the error code: "shortcut:<name>", "key", "value:<name>", "ini".
    std::map<std::string, uint32_t> refused;
    uint32_t lastError = 0;
    std::deque<std::string> folders = {"C:\\velmorant-tests\\trace"};
    // Free clusters per disk query (8 sectors of 512 bytes); -1 = the query fails.
    std::deque<long> freeClusters = {100000};
    int extractResult = EXTRACT_SUCCESS;
    std::string lostFiles;  // what the extraction names as lost with its result
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

// The error a scripted write is refused with; 0 when it is not.
uint32_t refusal(const std::string &what)
{
    auto found = script.refused.find(what);
    return found != script.refused.end() ? found->second : 0;
}

std::string windowName(HWND window)
{
    if (window == setupRun.backgroundWindow)
        return "Install Velmorant";
    return window == progressWindow && window != NULL ? "Setup Progress" : "another window";
}

const SetupCalls tracedCalls = {
    .holdRunLock = [](const char *productName, int) -> int {
        log("lock:" + std::string(productName));
        return script.runLockFree ? 1 : 0;
    },
    .payloadIntact = [](const PayloadTable &table) -> int {
        log(std::string("check payload") + (&table == &payloadTable ? "" : " (another table)"));
        return script.payloadIntact ? 1 : 0;
    },
    .removeEarlierUninstallerHelpers = []() { log("remove earlier helpers"); },
    .readSignedInUser = [](SignedInUser *user) { *user = script.user; },
    .messageBox = [](HWND owner, LPCSTR text, LPCSTR title, UINT style) WINAPI -> int {
        log("box:" + std::string(title) + (owner == setupRun.backgroundWindow ? "" : " (not owned)") +
            " style " + std::to_string(style));
        script.texts[title] = text;
        auto answer = script.answers.find(title);
        return answer != script.answers.end() ? answer->second : IDOK;
    },
    .runAgreement = [](HINSTANCE, HWND owner) -> INT_PTR {
        log("dialog:" + std::to_string(IDD_AGREEMENT) +
            (owner == setupRun.backgroundWindow ? "" : " (not owned)"));
        return 1;  // accepted
    },
    .createProgressDialog = [](HINSTANCE, HWND owner) -> HWND {
        // A window of the test's own stands for the dialog: the trace names it by its handle.
        progressWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, owner, NULL,
                                         NULL, NULL);
        return progressWindow;
    },
    .destroyWindow = [](HWND window) WINAPI -> BOOL {
        log("destroy:" + windowName(window));
        return DestroyWindow(window);
    },
    .deleteObject = [](HGDIOBJ object) WINAPI -> BOOL {
        if (object == setupRun.picture.font)
            log("delete title font");
        return DeleteObject(object);
    },
    .isNtPlatform = []() { return script.nt ? 1 : 0; },
    .majorVersion = []() { return script.majorVersion; },
    .runByAdministrator = []() { return script.administrator ? 1 : 0; },
    .chooseDataFolder = [](FolderChoice *choice, int alwaysAsk) -> int {
        log("chooseDataFolder" + std::string(choice->owner == setupRun.backgroundWindow ? "" : " (not owned)") +
            (alwaysAsk ? " always asking" : ""));
        if (script.folders.empty())
            return 0;
        snprintf(choice->folder, sizeof choice->folder, "%s", script.folders.front().c_str());
        script.folders.pop_front();
        if (script.holdsFolder)
            choice->heldFolder = CreateEventA(NULL, TRUE, FALSE, NULL);
        return 1;
    },
    .makeFolder = CreateDirectoryA,
    .closeHandle = [](HANDLE object) WINAPI -> BOOL {
        log(object == setupRun.folderChoice.heldFolder ? "let go of the data folder"
                                                       : "close another handle");
        return CloseHandle(object);
    },
    .changeDirectory = [](const char *path) -> int {
        log(std::string("chdir:") + path);
        return _chdir(path);
    },
    .currentDrive = _getdrive,
    .diskFreeSpace = [](LPCSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD freeClusters,
                        LPDWORD totalClusters) WINAPI -> BOOL {
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
    },
    .closeRunningCopies = [](HWND owner, const CopyNames &names, const PauseRoutine &) {
        log("closeRunningCopies of " + std::string(names.productName) +
            (owner == setupRun.backgroundWindow ? "" : " (not owned)"));
    },
    .removeOldService = [](const char *serviceName, const PauseRoutine &) -> int {
        log("removeOldService " + std::string(serviceName));
        return script.removeServiceResult;
    },
    .pause = [](PauseAnimation *animation, int milliseconds) {
        log("pause:" + std::to_string(milliseconds) +
            (animation->window == setupRun.backgroundWindow ? "" : " (elsewhere)"));
    },
    .extract = [](const PayloadTable &table, HWND window, ProgressRoutine progress,
                  char *unrestored, size_t unrestoredSize) -> int {
        log("extract into " + windowName(window) +
            (progress == showProgress ? " with showProgress" : " with another routine") +
            (&table == &payloadTable ? "" : " (another table)"));
        snprintf(unrestored, unrestoredSize, "%s", script.lostFiles.c_str());
        if (script.extractResult == EXTRACT_NOT_RESTORED)
            snprintf(unrestored, unrestoredSize, "%s", "C:\\velmorant-tests\\trace\\held.exe");
        return script.extractResult;
    },
    .progress = showProgress,
    .createShortcut = [](const char *specialFolder, const char *group, const char *name,
                         const char *target, const char *folder, const char *arguments) -> uint32_t {
        log(std::string("shortcut:") + (specialFolder != NULL ? specialFolder + std::string("|") : "") +
            (group != NULL ? group : "(startup)") + "/" + name +
            " -> " + target + " in " + folder +
            (arguments != NULL ? std::string(" args ") + arguments : ""));
        return refusal("shortcut:" + std::string(name));
    },
    .createKey = [](HKEY root, LPCSTR key, DWORD reserved, LPSTR keyClass, DWORD options,
                    REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                    LPDWORD disposition) WINAPI -> LONG {
        log(std::string("registry:") + key);
        if (refusal("key") != 0)
            return (LONG)refusal("key");
        return RegCreateKeyExA(root, key, reserved, keyClass, options, access, security, result,
                               disposition);
    },
    .setValue = [](HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                   DWORD size) WINAPI -> LONG {
        if (refusal("value:" + std::string(name)) != 0)
            return (LONG)refusal("value:" + std::string(name));
        return RegSetValueExA(key, name, reserved, type, data, size);
    },
    .enumValue = RegEnumValueA,
    .deleteValue = RegDeleteValueA,
    .closeKey = RegCloseKey,
    .readProfileString = GetPrivateProfileStringA,
    .writeProfileString = [](LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) WINAPI -> BOOL {
        log(std::string("ini:") + section + "/" + key + "=" + value + " in " + file);
        uint32_t refused = refusal("ini") != 0 ? refusal("ini") : refusal("ini:" + std::string(value));
        if (refused != 0) {
            script.lastError = refused;
            return FALSE;
        }
        return WritePrivateProfileStringA(section, key, value, file);
    },
    .lastError = []() WINAPI -> DWORD { return script.lastError; },
    .startProgram = [](LPCSTR command, UINT show) WINAPI -> UINT {
        log("winexec:" + std::string(command) + " show " + std::to_string(show));
        return 33;
    },
    .startFromDesktop = [](const char *program, const char *folder, const char *arguments) -> int {
        log("desktop start:" + std::string(program) + " in " + folder +
            (arguments != NULL ? std::string(" args ") + arguments : ""));
        return script.desktopStarts ? 1 : 0;
    },
    .runAndWait = [](const char *path, const char *argument0, const char *argument1,
                     const char *argument2) -> intptr_t {
        std::string entry = "spawn:" + std::string(path) + " |";
        for (const char *a : {argument0, argument1, argument2}) {
            if (a == NULL)
                break;
            entry += std::string(a) + "|";
        }
        log(entry);
        return script.spawnResult;
    },
};

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
        WritePrivateProfileStringA("Options", "dataDir", NULL, "velmorant.ini");
    }
    void TearDown() override
    {
        // An early end leaves the windows to the end of the process; a second run in this
        // process needs the class free again.
        if (IsWindow(setupRun.backgroundWindow))
            DestroyWindow(setupRun.backgroundWindow);
        if (IsWindow(progressWindow))
            DestroyWindow(progressWindow);
        progressWindow = NULL;
        UnregisterClassA("install", GetModuleHandleA(NULL));
        _chdir("C:\\");
    }
    std::vector<std::string> run()
    {
        EXPECT_EQ(runSetup(&setupRun, GetModuleHandleA(NULL), installerSettings, payloadTable,
                           tracedCalls),
                  0);
        return trace;
    }
};

}  // namespace

// Over an entry of the product's name that another program left: its values go, and so the
// entry shows in the list with this program's values only.
TEST_F(Trace, NtFamilyWholeRun)
{
    const char *entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, entry, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                              NULL), ERROR_SUCCESS);
    DWORD one = 1;
    RegSetValueExA(key, "SystemComponent", 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    for (const char *name : {"QuietUninstallString", "ModifyPath", "Publisher", "DisplayName"})
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)"C:\\other\\x.exe", 15);
    RegCloseKey(key);
    script.answers["Installation Successful"] = IDYES;
    script.holdsFolder = true;
    std::vector<std::string> expected = {
        "lock:Velmorant",
        "check payload",
        "dialog:111",
        "remove earlier helpers",  // only once the agreement is accepted
        "chooseDataFolder always asking",
        "ini:Options/dataDir=" + folder + " in velmorant.ini",
        "chdir:" + folder,
        "diskfree:C:\\",
        "closeRunningCopies of Velmorant",
        "box:Uninstalling Old Service (If Present)" + boxStyleWarning,
        "removeOldService VelmorantTestService",
        "pause:6000",
        "extract into Setup Progress with showProgress",
        "destroy:Setup Progress",  // before the first shortcut
        "shortcut:Velmorant/Velmorant -> " + folder + "\\velmorant.exe in " + folder,
        "shortcut:Velmorant/Uninstall -> " + folder + "\\qxuninst.exe in " + folder,
        "registry:Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant",
        "ini:Options/dataDir=" + folder + " in velmorant.ini",
        "spawn:" + folder + "\\nqlopsv.exe |\"" + folder + "\\nqlopsv.exe\"|-install|-sid=0|",
        "box:Installing Service style 0",
        "spawn:" + folder + "\\velmorantsvc.exe |\"" + folder + "\\velmorantsvc.exe\"|-install-service|",
        "box:Installation Successful style 4",
        "destroy:Install Velmorant",
        "delete title font",
        "desktop start:" + folder + "\\velmorant.exe in " + folder,
        "let go of the data folder",  // held from its choice to the end
    };
    EXPECT_EQ(run(), expected);
    EXPECT_EQ(machineRegistryNumber(entry, "SystemComponent"), -1);
    for (const char *foreign : {"QuietUninstallString", "ModifyPath", "Publisher"})
        EXPECT_EQ(machineRegistryText(entry, foreign), "<missing>") << foreign;
    EXPECT_EQ(machineRegistryText(entry, "DisplayName"), "Velmorant");
    EXPECT_EQ(machineRegistryText(entry, "UninstallString"), "\"" + folder + "\\qxuninst.exe\"");
    EXPECT_EQ(machineRegistryText(entry, "DisplayIcon"), "\"" + folder + "\\velmorant.exe\",0");
    EXPECT_EQ(machineRegistryText(entry, "InstallLocation"), folder);
    EXPECT_GT(payloadTable.installedKilobytes, 0);
    EXPECT_EQ(machineRegistryNumber(entry, "EstimatedSize"), payloadTable.installedKilobytes);
    EXPECT_EQ(machineRegistryNumber(entry, "NoModify"), 1);
    EXPECT_EQ(machineRegistryNumber(entry, "NoRepair"), 1);
    EXPECT_EQ(machineRegistryText(entry, "ShortcutProgramsFolder"), "<missing>");
    EXPECT_EQ(script.texts["Installation Successful"], doneText);
}

// Outside the NT family: no service step, and the startup entry without a question; the
// program starts at once, after the INI value it reads is written.
TEST_F(Trace, Windows9xIniValueBeforeTheStartupEntry)
{
    script.nt = false;
    script.majorVersion = 4;
    script.answers["Installation Successful"] = IDNO;
    // A stopped run's earlier copies that are gone: said once, and the run goes on.
    script.lostFiles = folder + "\\velmorant.exe\r\n" + folder + "\\qxuninst.exe";
    std::vector<std::string> expected = {
        "lock:Velmorant",
        "check payload",
        "dialog:111",
        "remove earlier helpers",
        "chooseDataFolder always asking",
        "ini:Options/dataDir=" + folder + " in velmorant.ini",
        "chdir:" + folder,
        "diskfree:C:\\",
        "closeRunningCopies of Velmorant",
        "extract into Setup Progress with showProgress",
        "box:Earlier Files Lost" + boxStyleWarning,
        "destroy:Setup Progress",
        "shortcut:Velmorant/Velmorant -> " + folder + "\\velmorant.exe in " + folder,
        "shortcut:Velmorant/Uninstall -> " + folder + "\\qxuninst.exe in " + folder,
        "registry:Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant",
        "ini:Options/dataDir=" + folder + " in velmorant.ini",
        "shortcut:(startup)/Velmorant Agent -> " + folder + "\\velmorant.exe in " + folder +
            " args -minimized -x",
        "winexec:\"" + folder + "\\velmorant.exe\" -minimized -x\n show 5",
        "spawn:" + folder + "\\nqlopsv.exe |\"" + folder + "\\nqlopsv.exe\"|-install|-sid=0|",
        "box:Installation Successful style 4",
        "destroy:Install Velmorant",  // No still tears down, and starts nothing
        "delete title font",
    };
    EXPECT_EQ(run(), expected);
    EXPECT_EQ(script.texts["Earlier Files Lost"], earlierLostText(script.lostFiles));
}

TEST_F(Trace, NoSpaceAsksForAnotherFolder)
{
    script.nt = false;
    script.folders = {"D:\\small", folder};
    script.freeClusters = {230, 256};  // 0.9 MB, then exactly 1 MB in 4096-byte clusters
    std::vector<std::string> got = run();
    std::vector<std::string> expected = {
        "lock:Velmorant",
        "check payload",
        "dialog:111",
        "remove earlier helpers",
        "chooseDataFolder always asking",
        "ini:Options/dataDir=D:\\small in velmorant.ini",
        "chdir:D:\\small",
        "diskfree:D:\\",
        "box:Not Enough Disk Space" + boxStyleWarning,
        "chooseDataFolder always asking",
        "ini:Options/dataDir=" + folder + " in velmorant.ini",
        "chdir:" + folder,
        "diskfree:C:\\",
        "closeRunningCopies of Velmorant",
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

// A network folder's free space is read from its share; a share that cannot be read skips
// the check.
TEST_F(Trace, NetworkFolderIsMeasuredOnItsShare)
{
    script.nt = false;
    script.folders = {"\\\\server\\share\\Velmorant"};
    script.freeClusters = {-1};  // unreadable: the check is skipped
    std::vector<std::string> got = run();
    ASSERT_GE(got.size(), 9u);
    EXPECT_EQ(got[7], "diskfree:\\\\server\\share\\");
    EXPECT_EQ(got[8], "closeRunningCopies of Velmorant");
}

// The extraction has already put back what it changed: the run only says why it ends, and
// names the file that it could not put back.
TEST_F(Trace, FailedExtractionShowsItsMessage)
{
    std::string texts[] = {failedCreateText, failedWriteText, outOfMemoryText, "",
                           notRestoredText("C:\\velmorant-tests\\trace\\held.exe")};
    for (int result : {1, 2, 3, 5}) {
        SCOPED_TRACE(result);
        SetUp();
        script.nt = false;
        script.extractResult = result;
        std::vector<std::string> got = run();
        std::vector<std::string> tail = {
            "extract into Setup Progress with showProgress",
            "box:Velmorant Installation Failed" + boxStyleWarning,
        };
        ASSERT_GE(got.size(), tail.size());
        EXPECT_EQ(std::vector<std::string>(got.end() - 2, got.end()), tail);
        EXPECT_EQ(script.texts["Velmorant Installation Failed"], texts[result - 1]);
        EXPECT_TRUE(IsWindow(progressWindow));  // left on screen
        TearDown();
    }
}

TEST_F(Trace, OldServiceThatStaysEndsTheRun)
{
    script.removeServiceResult = -1;
    std::vector<std::string> got = run();
    std::vector<std::string> tail = {"removeOldService VelmorantTestService",
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
        "lock:Velmorant", "check payload", "dialog:111", "remove earlier helpers",
        "chooseDataFolder always asking",
        "box:Application Not Installed" + boxStyleWarning};
    EXPECT_EQ(run(), expected);
}

// The shortcuts hand the program's path to the shell, which takes none of MAX_PATH (260)
// bytes or more: a folder whose program path has 259 bytes is taken, one whose path has 260
// is refused before anything is written, as is one whose paths do not fit at all.
TEST_F(Trace, FolderTooLongForItsFilesIsRefusedBeforeWriting)
{
    struct {
        size_t folderLength;  // "\velmorant.exe" adds 14
        bool taken;
    } cases[] = {{245, true}, {246, false}, {1010, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folderLength);
        SetUp();
        script.nt = false;
        script.answers["Installation Successful"] = IDNO;
        script.folders = {"C:\\" + std::string(c.folderLength - 3, 'v')};
        std::vector<std::string> got = run();
        bool extracted = false;
        for (const std::string &entry : got)
            extracted = extracted || entry.find("extract") != std::string::npos;
        EXPECT_EQ(extracted, c.taken);
        ASSERT_GE(got.size(), 1u);
        EXPECT_EQ(got.back() == "box:Velmorant Installation Failed" + boxStyleWarning, !c.taken);
        TearDown();
    }
}

// A second run, and a setup file whose payload is damaged, end with their message before the
// background window, before anything is read or written.
TEST_F(Trace, SecondRunOrDamagedPayloadEndsAtOnce)
{
    script.runLockFree = false;
    EXPECT_EQ(run(), std::vector<std::string>({"lock:Velmorant",
                                               "box:Setup Already Running" + boxStyleWarning}));
    EXPECT_EQ(script.texts["Setup Already Running"], alreadyRunningText);
    EXPECT_EQ(setupRun.backgroundWindow, (HWND)NULL);

    SetUp();
    script.payloadIntact = false;
    EXPECT_EQ(run(), std::vector<std::string>({"lock:Velmorant", "check payload",
                                               "box:Velmorant Installation Failed" +
                                                   boxStyleWarning}));
    EXPECT_EQ(script.texts["Velmorant Installation Failed"], damagedText);
    EXPECT_EQ(setupRun.backgroundWindow, (HWND)NULL);
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "<missing>");
}

// Every way a run ends after the choice: an earlier INI value is there again at the end unless
// the run installed; without one the chosen folder stays, to be proposed next time.
TEST_F(Trace, EarlyEndsLeaveTheEarlierIniValue)
{
    const std::string tooLong = "C:\\" + std::string(1007, 'v');
    struct End {
        const char *what;
        std::deque<std::string> folders;
        std::deque<long> freeClusters;
        int removeServiceResult;
        int extractResult;
        bool installs;
    } ends[] = {
        {"no room, then cancelled", {"D:\\small"}, {230}, 0, EXTRACT_SUCCESS, false},
        {"path too long", {tooLong}, {100000}, 0, EXTRACT_SUCCESS, false},
        {"old service stays", {folder}, {100000}, -1, EXTRACT_SUCCESS, false},
        {"extraction failed", {folder}, {100000}, 0, EXTRACT_CANNOT_WRITE, false},
        {"installed", {folder}, {100000}, 0, EXTRACT_SUCCESS, true},
    };
    for (const End &end : ends) {
        for (const char *earlier : {"C:\\Earlier", (const char *)NULL}) {
            SCOPED_TRACE(std::string(end.what) + (earlier != NULL ? ", earlier value" : ""));
            TearDown();
            SetUp();
            WritePrivateProfileStringA("Options", "dataDir", earlier, "velmorant.ini");
            script.folders = end.folders;
            script.freeClusters = end.freeClusters;
            script.removeServiceResult = end.removeServiceResult;
            script.extractResult = end.extractResult;
            script.answers["Installation Successful"] = IDNO;
            run();
            std::string expected = end.folders.back();
            if (earlier != NULL && !end.installs)
                expected = earlier;
            EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), expected);
        }
    }
}

// Each write outside the folder that is refused is named, with its reason, in one message
// before the final question; the files stay and the final question keeps its text.
TEST_F(Trace, RefusedWritesAreNamedBeforeTheFinalQuestion)
{
    const std::string rights = "this account has no administrator rights for it";
    struct Case {
        std::map<std::string, uint32_t> refused;
        std::vector<std::string> lines;
    } cases[] = {
        {{{"shortcut:Velmorant", 5}}, {"the program's shortcut in the Start menu: " + rights}},
        {{{"shortcut:Uninstall", 112}}, {"the Uninstall shortcut in the Start menu: the disk is full"}},
        {{{"key", 5}},
         {"the entry in the list of installed programs, from which it is uninstalled: " + rights}},
        {{{"value:UninstallString", 1260}},
         {"the entry in the list of installed programs, from which it is uninstalled: a policy "
          "set for this computer forbids it"}},
        {{{"ini", 112}}, {"the note of the chosen folder that the program reads: the disk is full"}},
        {{{"shortcut:Velmorant Agent", 1234}},
         {"the shortcut that starts the program with Windows: Windows reported error 1234"}},
        // Several at once: still one message, in the order of the run.
        {{{"shortcut:Velmorant", 5}, {"ini", 5}},
         {"the program's shortcut in the Start menu: " + rights,
          "the note of the chosen folder that the program reads: " + rights}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.front());
        TearDown();
        SetUp();
        script.nt = false;  // the startup entry is made outside the NT family
        script.refused = c.refused;
        script.answers["Installation Successful"] = IDNO;
        std::vector<std::string> got = run();
        std::string lines;
        for (const std::string &line : c.lines)
            lines += "\r\n- " + line;
        ASSERT_GE(got.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(got.end() - 4, got.end() - 2),
                  std::vector<std::string>({"box:Velmorant Not Completely Installed" + boxStyleWarning,
                                            "box:Installation Successful style 4"}));
        EXPECT_EQ(script.texts["Velmorant Not Completely Installed"],
                  "The files of Velmorant are installed, but these parts of the installation "
                  "could not be made:\r\n" + lines + "\r\n\r\nThe program can be used without "
                  "them. Remove the cause and run the setup program again to complete the "
                  "installation.");
        EXPECT_EQ(script.texts["Installation Successful"], doneText);
    }
}

// On an NT system before Vista nothing asks for administrator rights: a user without them
// is sent away before the background window, with nothing read or written. Vista and later
// ask through the manifest; the 9x family has no such rights.
TEST_F(Trace, NonAdministratorBeforeVistaIsSentAway)
{
    struct Case {
        bool nt;
        uint32_t majorVersion;
        bool administrator;
        bool refused;
    } cases[] = {
        {true, 4, false, true},  {true, 5, false, true}, {true, 5, true, false},
        {true, 6, false, false}, {false, 4, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.nt) + " " + std::to_string(c.majorVersion) + " " +
                     std::to_string(c.administrator));
        TearDown();
        SetUp();
        script.nt = c.nt;
        script.majorVersion = c.majorVersion;
        script.administrator = c.administrator;
        script.folders.clear();  // a run that goes on ends at the folder choice
        std::vector<std::string> got = run();
        if (c.refused) {
            EXPECT_EQ(got, std::vector<std::string>({"lock:Velmorant",
                                                     "box:Administrator Needed style 48"}));
            EXPECT_EQ(script.texts["Administrator Needed"], administratorNeededText);
            EXPECT_EQ(setupRun.backgroundWindow, (HWND)NULL);
        } else {
            ASSERT_GE(got.size(), 3u);
            EXPECT_EQ(got[2], "dialog:111");
        }
    }
}

// The final Yes never starts the product with more rights than the desktop's user has: an
// elevated token, or another account than the desktop's, leaves the start to the desktop's
// shell, whatever version the system reports; when the shell cannot, nothing starts and the
// user is told where the program is.
TEST_F(Trace, FinalYesNeverStartsTheProductWithMoreRights)
{
    const std::string program = folder + "\\velmorant.exe";
    const std::string desktop = "desktop start:" + program + " in " + folder;
    const std::string direct = "winexec:\"" + program + "\" show 5";
    const std::string told = "box:Velmorant Installed" + boxStyleWarning;
    struct Case {
        bool nt;
        uint32_t majorVersion;
        int elevated;
        int desktopUser;
        bool desktopStarts;
        std::vector<std::string> starts;
    } cases[] = {
        {true, 6, 1, DESKTOP_SAME, true, {desktop}},
        {true, 10, 1, DESKTOP_SAME, false, {desktop, told}},
        {true, 5, 1, DESKTOP_SAME, false, {desktop, told}},  // a version lowered by a shim
        {true, 5, 0, DESKTOP_OTHER, false, {desktop, told}},  // "run as" an administrator
        {true, 6, 0, DESKTOP_UNKNOWN, false, {desktop, told}},  // no desktop shell
        {true, 6, 0, DESKTOP_SAME, true, {direct}},
        {false, 4, 0, DESKTOP_SAME, true, {direct}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.majorVersion) + " " + std::to_string(c.elevated) + " " +
                     std::to_string(c.desktopUser));
        TearDown();
        SetUp();
        script.nt = c.nt;
        script.majorVersion = c.majorVersion;
        script.user.elevated = c.elevated;
        script.user.desktopUser = c.desktopUser;
        script.desktopStarts = c.desktopStarts;
        script.answers["Installation Successful"] = IDYES;
        std::vector<std::string> got = run();
        ASSERT_GE(got.size(), c.starts.size() + 1);
        std::vector<std::string> tail = {"delete title font"};
        tail.insert(tail.end(), c.starts.begin(), c.starts.end());
        EXPECT_EQ(std::vector<std::string>(got.end() - tail.size(), got.end()), tail);
        if (c.starts.back() == told) {
            EXPECT_EQ(script.texts["Velmorant Installed"],
                      "Velmorant has been installed. It could not be started for you as the "
                      "signed-in user, and this setup program does not start it with its own "
                      "rights. Start it yourself from the Start menu, or open this program:"
                      "\r\n\r\n" + program);
        }
    }
}

// An administrator's account elevated over the shoulder of the user at the desktop: the
// shortcuts go to that user's own Programs folder, and the uninstall entry records it (and the
// Startup folder) for the uninstaller. (The same account records nothing: NtFamilyWholeRun.)
TEST_F(Trace, ShortcutsGoToTheDesktopUsersStartMenu)
{
    const char *entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant";
    const std::string programs = "C:\\users\\desk\\Programs";
    script.user = {1, DESKTOP_OTHER, "C:\\users\\desk\\Programs", "C:\\users\\desk\\Startup"};
    script.answers["Installation Successful"] = IDNO;
    std::vector<std::string> shortcuts;
    for (const std::string &line : run())
        if (line.rfind("shortcut:", 0) == 0)
            shortcuts.push_back(line);
    const std::string in = " in " + folder;
    EXPECT_EQ(shortcuts, std::vector<std::string>(
                             {"shortcut:" + programs + "|Velmorant/Velmorant -> " + folder +
                                  "\\velmorant.exe" + in,
                              "shortcut:" + programs + "|Velmorant/Uninstall -> " + folder +
                                  "\\qxuninst.exe" + in}));
    EXPECT_EQ(machineRegistryText(entry, "ShortcutProgramsFolder"), programs);
    EXPECT_EQ(machineRegistryText(entry, "ShortcutStartupFolder"), "C:\\users\\desk\\Startup");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry);
}

// Every INI write is checked: a value that could not be written needs nothing set back, and
// an earlier value that could not be set back is named when the run ends without installing
// (an install writes the chosen folder over it).
TEST_F(Trace, EarlierIniValueThatCannotBeSetBackIsNamed)
{
    const std::string note = "\r\n\r\nThe note of the folder that the program reads could not "
                             "be set back to C:\\Earlier (this account has no administrator "
                             "rights for it): it names the folder chosen in this run, where the "
                             "program is not installed.";
    struct Case {
        std::string refused;
        int extractResult;
        bool setBack;
        bool named;
    } cases[] = {
        {"ini:C:\\Earlier", EXTRACT_CANNOT_WRITE, true, true},
        {"ini:C:\\Earlier", EXTRACT_SUCCESS, true, false},
        {"ini:" + folder, EXTRACT_CANNOT_WRITE, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.refused + " " + std::to_string(c.extractResult));
        TearDown();
        SetUp();
        WritePrivateProfileStringA("Options", "dataDir", "C:\\Earlier", "velmorant.ini");
        script.refused[c.refused] = 5;
        script.extractResult = c.extractResult;
        script.answers["Installation Successful"] = IDNO;
        std::vector<std::string> got = run();
        int setBack = 0;
        for (const std::string &line : got)
            setBack += line == "ini:Options/dataDir=C:\\Earlier in velmorant.ini";
        EXPECT_EQ(setBack, c.setBack ? 1 : 0);
        if (c.extractResult != EXTRACT_SUCCESS) {
            EXPECT_EQ(script.texts["Velmorant Installation Failed"],
                      failedWriteText + (c.named ? note : ""));
        } else {
            EXPECT_EQ(script.texts.count("Velmorant Not Completely Installed"), 0u);
        }
    }
}
