// The uninstaller after a real setup run: started from outside the way the Start-menu
// shortcut starts it, driven through its message boxes, judged by what is left on the machine.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <stdlib.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/expectedTexts.h"
#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

namespace {

const char uninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant";
const char defaultFolder[] = "C:\\Program Files\\Velmorant";
const char restartHeading[] = "\r\n\r\nLeft until Windows restarts, then removed:\r\n";

std::string programsFolder()
{
    const char *appData = getenv("APPDATA");
    return std::string(appData != NULL ? appData : "?") + "\\Microsoft\\Windows\\Start Menu\\Programs";
}

std::string groupFolder()
{
    return programsFolder() + "\\Velmorant";
}

struct Link {
    std::string target;
    std::string folder;
};

Link readLink(const std::string &path)
{
    Link result;
    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void **>(&link)) >= 0 &&
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)) >= 0 &&
        file->Load(wide, STGM_READ) >= 0) {
        char target[MAX_PATH] = "", folder[MAX_PATH] = "";
        link->GetPath(target, sizeof target, NULL, SLGP_RAWPATH);
        link->GetWorkingDirectory(folder, sizeof folder);
        result.target = target;
        result.folder = folder;
    }
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    CoUninitialize();
    return result;
}

// A whole setup run accepting everything; parent/application NULL keep the proposed folder.
void install(const char *program, const char *parent = NULL, const char *application = NULL,
             int startupAnswer = 0)
{
    ProcessRun run;
    ASSERT_TRUE(run.start("\"" + buildFile(program) + "\""));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, run.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
    ASSERT_NE(chooseFolderInDialog(run.processId(), parent, application).dialog, (HWND)NULL);
    answerBox("Close Running Copies First!", IDOK, 30000, run.processId());
    if (startupAnswer != 0)
        answerBox("Add To Startup Group", startupAnswer, 60000, run.processId());
    answerBox("Installation Successful", IDNO, 60000, run.processId());
    ASSERT_EQ(run.wait(), 0);
}

// answerBox, reading the text only once the box has it: a box found the moment it appears
// may not have been given its text yet.
SeenBox answerFilledBox(const char *title, int button, int timeoutMs, DWORD processId)
{
    SeenBox seen;
    HWND box = waitForWindow(title, timeoutMs, processId);
    EXPECT_NE(box, (HWND)NULL) << "no window titled \"" << title << "\"";
    if (box == NULL)
        return seen;
    seen.title = title;
    for (int waited = 0; waited < 5000 && seen.text.empty(); waited += 50) {
        seen.text = messageBoxText(box);
        if (seen.text.empty())
            Sleep(50);
    }
    pressButton(box, button);
    EXPECT_TRUE(waitForWindowGone(box)) << "\"" << title << "\" stayed open";
    return seen;
}

// What a run of the uninstaller showed and returned.
struct Uninstall {
    SeenBox confirmation;
    SeenBox closing;
    SeenBox final;
    long exitCode = -2;
};

// Starts the uninstaller as the "Uninstall" shortcut names it, answers its question and its
// boxes; finalTitle is the title of the closing message expected.
Uninstall runUninstaller(int answer, const char *finalTitle = "Uninstall Complete")
{
    Uninstall seen;
    Link link = readLink(groupFolder() + "\\Uninstall.lnk");
    EXPECT_NE(link.target, "");
    if (link.target.empty())
        return seen;
    ProcessRun run;
    EXPECT_TRUE(run.start("\"" + link.target + "\"", link.folder.c_str()));
    seen.confirmation = answerFilledBox("Uninstall Velmorant", answer, 30000, run.processId());
    if (answer == IDYES) {
        seen.closing = answerFilledBox("Closing Running Copies", IDOK, 30000, run.processId());
        seen.final = answerFilledBox(finalTitle, IDOK, 60000, run.processId());
    }
    seen.exitCode = run.wait();
    return seen;
}

bool waitUntilGone(const std::string &path, int timeoutMs = 20000)
{
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        if (!fileExists(path) && !folderExists(path))
            return true;
        Sleep(100);
    }
    return false;
}

std::string confirmationText(const std::string &folder)
{
    return "Velmorant will be removed from your computer: its program files in the folder\r\n\r\n" +
           folder +
           "\r\n\r\nits Start-menu shortcuts and its entry in the list of installed programs. "
           "Files that you have added to the folder are kept.\r\n\r\nDo you want to remove "
           "Velmorant now?";
}

// Every file and folder below root with its size (-1 for folders).
void listTree(const std::string &root, std::map<std::string, long long> &tree)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = root + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path] = -1;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                listTree(path, tree);
        } else {
            tree[path] = ((long long)found.nFileSizeHigh << 32) | found.nFileSizeLow;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string lower(std::string text)
{
    for (char &c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

// The restart lines of a final message.
std::vector<std::string> restartLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = text.find(restartHeading);
    if (at == std::string::npos)
        return lines;
    std::string rest = text.substr(at + strlen(restartHeading));
    size_t start = 0;
    for (size_t end; (end = rest.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(rest.substr(start, end - start));
    lines.push_back(rest.substr(start));
    return lines;
}

void expectProductGone(const std::string &folder)
{
    for (const char *name : {"velmorant.exe", "velmorant.exe.manifest"})
        EXPECT_FALSE(fileExists(folder + "\\" + name)) << name;
    EXPECT_TRUE(waitUntilGone(folder + "\\qxuninst.exe"));
    EXPECT_FALSE(fileExists(groupFolder() + "\\Velmorant.lnk"));
    EXPECT_FALSE(fileExists(groupFolder() + "\\Uninstall.lnk"));
    EXPECT_FALSE(folderExists(groupFolder()));
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    EXPECT_EQ(machineRegistryText(uninstallKey, "UninstallString"), "<missing>");
}

}  // namespace

TEST(Uninstall, UserFilesAndTheIniValueStay)
{
    const std::string folder = "C:\\Program Files\\My Velmorant";
    install("setup.exe", "C:\\Program Files", "My Velmorant");
    ASSERT_TRUE(fileExists(folder + "\\velmorant.exe"));
    ASSERT_TRUE(writeFile(folder + "\\my notes.txt", "mine"));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\reports").c_str(), NULL));
    ASSERT_TRUE(writeFile(folder + "\\reports\\june.txt", "also mine"));
    // The uninstaller is what the shortcut names, started in the folder it names.
    Link link = readLink(groupFolder() + "\\Uninstall.lnk");
    EXPECT_EQ(link.target, folder + "\\qxuninst.exe");

    Uninstall seen = runUninstaller(IDYES);
    EXPECT_EQ(seen.confirmation.text, confirmationText(folder));
    EXPECT_EQ(seen.closing.text, closingText);
    std::string expectedStart = std::string(removedText) + "\r\n\r\nThe folder " + folder +
                                " was kept because it holds files that were not installed "
                                "with Velmorant.";
    EXPECT_EQ(seen.final.text.substr(0, expectedStart.size()), expectedStart) << seen.final.text;
    EXPECT_EQ(seen.exitCode, 0);

    expectProductGone(folder);
    EXPECT_EQ(readFile(folder + "\\my notes.txt"), "mine");
    EXPECT_EQ(readFile(folder + "\\reports\\june.txt"), "also mine");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), folder);

    // A new installation proposes the same folder again.
    ProcessRun again;
    ASSERT_TRUE(again.start("\"" + buildFile("setup.exe") + "\""));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, again.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
    FolderDialogSeen proposed = chooseFolderInDialog(again.processId(), NULL, NULL);
    EXPECT_EQ(proposed.parent, "C:\\Program Files");
    EXPECT_EQ(proposed.application, "My Velmorant");
    answerBox("Close Running Copies First!", IDOK, 30000, again.processId());
    answerBox("Installation Successful", IDNO, 60000, again.processId());
    EXPECT_EQ(again.wait(), 0);
    EXPECT_TRUE(fileExists(folder + "\\velmorant.exe"));
}

// Install and uninstall leave drive C: and the uninstall key as they were, apart from the INI
// value and the uninstaller's copy that waits for the next restart.
TEST(Uninstall, RoundTripLeavesThePrefixAsBefore)
{
    std::map<std::string, long long> before, after;
    listTree("C:", before);
    ASSERT_GT(before.size(), 100u);
    ASSERT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");

    install("setup.exe");
    ASSERT_TRUE(fileExists(std::string(defaultFolder) + "\\qxuninst.exe"));
    Uninstall seen = runUninstaller(IDYES);
    EXPECT_EQ(seen.exitCode, 0);
    EXPECT_EQ(seen.final.text.substr(0, strlen(removedText) + strlen(restartHeading)),
              std::string(removedText) + restartHeading)
        << seen.final.text;
    std::vector<std::string> restart = restartLines(seen.final.text);
    ASSERT_EQ(restart.size(), 1u) << seen.final.text;
    // What the message names is really scheduled, and nothing else of the run is.
    std::vector<std::string> pending = pendingRemovals();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(lower(pending[0]), lower(restart[0]));
    EXPECT_TRUE(fileExists(restart[0]));
    EXPECT_TRUE(waitUntilGone(defaultFolder));
    expectProductGone(defaultFolder);

    listTree("C:", after);
    std::set<std::string> allowed = {lower(windowsFolder() + "\\velmorant.ini"), lower(restart[0])};
    for (const auto &entry : after) {
        auto old = before.find(entry.first);
        if (allowed.count(lower(entry.first)))
            continue;
        EXPECT_TRUE(old != before.end()) << "added: " << entry.first;
        if (old != before.end() && entry.second >= 0) {
            EXPECT_EQ(old->second, entry.second) << "changed: " << entry.first;
        }
    }
    for (const auto &entry : before)
        EXPECT_TRUE(after.count(entry.first)) << "removed: " << entry.first;
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), defaultFolder);
}

TEST(Uninstall, NoChangesNothing)
{
    install("setup.exe");
    std::map<std::string, long long> before, after;
    listTree("C:", before);
    Uninstall seen = runUninstaller(IDNO);
    EXPECT_EQ(seen.confirmation.text, confirmationText(defaultFolder));
    EXPECT_EQ(seen.exitCode, 2);
    Sleep(1000);  // a helper, had one been started, would act now
    listTree("C:", after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(machineRegistryText(uninstallKey, "UninstallString"),
              std::string(defaultFolder) + "\\qxuninst.exe");
    EXPECT_TRUE(pendingRemovals().empty());
}

// A read-only file and a file held open by another program stay and are named with their
// reasons; everything else still goes.
TEST(Uninstall, FilesThatCannotBeRemovedAreReportedAndTheRestRemoved)
{
    install("setup.exe");
    std::string program = std::string(defaultFolder) + "\\velmorant.exe";
    std::string manifest = std::string(defaultFolder) + "\\velmorant.exe.manifest";
    ASSERT_TRUE(SetFileAttributesA(manifest.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE held = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Uninstall seen = runUninstaller(IDYES, "Velmorant Not Completely Removed");
    CloseHandle(held);
    std::string expectedStart =
        "Velmorant has been removed from your computer, except for the following, which could "
        "not be removed:\r\n\r\nC:\\Program Files\\Velmorant\\velmorant.exe (it is in use)"
        "\r\nC:\\Program Files\\Velmorant\\velmorant.exe.manifest (it is read-only)\r\n\r\n"
        "Close any program that may be using them, then delete them yourself.";
    EXPECT_EQ(seen.final.text.substr(0, expectedStart.size()), expectedStart) << seen.final.text;
    EXPECT_EQ(seen.exitCode, 1);
    EXPECT_TRUE(fileExists(program));
    EXPECT_TRUE(fileExists(manifest));
    EXPECT_TRUE(waitUntilGone(std::string(defaultFolder) + "\\qxuninst.exe"));
    EXPECT_FALSE(folderExists(groupFolder()));
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    Sleep(500);
    EXPECT_TRUE(folderExists(defaultFolder));  // it still holds the two files
}

// The product started with Windows is running when the uninstaller starts: it is closed
// before its file goes, and its startup shortcut goes too.
TEST(Uninstall, RunningCopyIsClosedAndTheStartupShortcutRemoved)
{
    install("tests/uninstall/setupStartupEntry.exe", NULL, NULL, IDYES);
    std::string startupLink = programsFolder() + "\\StartUp\\Velmorant Agent.lnk";
    ASSERT_TRUE(fileExists(startupLink));
    // The setup run started the program at once.
    HWND program = waitForWindow("Velmorant - C:\\Program Files\\Velmorant", 30000);
    ASSERT_NE(program, (HWND)NULL);
    DWORD programProcess = 0;
    GetWindowThreadProcessId(program, &programProcess);
    HANDLE running = OpenProcess(SYNCHRONIZE, FALSE, programProcess);
    ASSERT_NE(running, (HANDLE)NULL);

    Uninstall seen = runUninstaller(IDYES);
    EXPECT_EQ(seen.exitCode, 0) << seen.final.text;
    EXPECT_EQ(WaitForSingleObject(running, 0), WAIT_OBJECT_0);  // it had ended
    CloseHandle(running);
    expectProductGone(defaultFolder);
    EXPECT_FALSE(fileExists(startupLink));
    EXPECT_TRUE(waitUntilGone(defaultFolder));
}

// A copy of the uninstaller run from a folder that is not the installation removes nothing,
// not even files of the product's names beside it.
TEST(Uninstall, RunElsewhereRemovesNothing)
{
    install("setup.exe");
    std::string elsewhere = scratchFolder("elsewhere");
    ASSERT_TRUE(CopyFileA((std::string(defaultFolder) + "\\qxuninst.exe").c_str(),
                          (elsewhere + "\\qxuninst.exe").c_str(), FALSE));
    ASSERT_TRUE(writeFile(elsewhere + "\\velmorant.exe", "not the product"));
    ProcessRun run;
    ASSERT_TRUE(run.start("\"" + elsewhere + "\\qxuninst.exe\"", elsewhere.c_str()));
    SeenBox box = answerFilledBox("Installation Not Found", IDOK, 30000, run.processId());
    EXPECT_EQ(box.text, "No installation of Velmorant was found in the folder\r\n\r\n" + elsewhere +
                            "\r\n\r\nNothing has been removed.");
    EXPECT_EQ(run.wait(), 3);
    EXPECT_EQ(readFile(elsewhere + "\\velmorant.exe"), "not the product");
    EXPECT_TRUE(fileExists(std::string(defaultFolder) + "\\velmorant.exe"));
    EXPECT_TRUE(fileExists(groupFolder() + "\\Uninstall.lnk"));
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "Velmorant");
}

// On the NT family the product's service is stopped and deleted with the rest.
TEST(Uninstall, ServiceIsStoppedAndDeleted)
{
    ProcessRun setup;
    ASSERT_TRUE(setup.start("\"" + buildFile("tests/uninstall/setupService.exe") + "\""));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, setup.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
    ASSERT_NE(chooseFolderInDialog(setup.processId(), NULL, NULL).dialog, (HWND)NULL);
    answerBox("Close Running Copies First!", IDOK, 30000, setup.processId());
    answerBox("Uninstalling Old Service (If Present)", IDOK, 30000, setup.processId());
    answerBox("Installing Service", IDOK, 60000, setup.processId());
    answerBox("Installation Successful", IDNO, 60000, setup.processId());
    ASSERT_EQ(setup.wait(), 0);
    ASSERT_TRUE(fileExists(std::string(defaultFolder) + "\\velmorantsvc.exe"));

    // The service the product's service program would have registered, running.
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, (SC_HANDLE)NULL);
    std::string command = "\"" + buildFile("tests/system/testService.exe") + "\" 1500";
    SC_HANDLE service = CreateServiceA(manager, "VelmorantTestService", "Velmorant test service",
                                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       command.c_str(), NULL, NULL, NULL, NULL, NULL);
    ASSERT_NE(service, (SC_HANDLE)NULL);
    ASSERT_TRUE(StartServiceA(service, 0, NULL));
    SERVICE_STATUS status = {};
    for (int i = 0; i < 200 && QueryServiceStatus(service, &status) &&
                    status.dwCurrentState != SERVICE_RUNNING;
         i++)
        Sleep(50);
    ASSERT_EQ(status.dwCurrentState, (DWORD)SERVICE_RUNNING);

    Uninstall seen = runUninstaller(IDYES);
    EXPECT_EQ(seen.exitCode, 0) << seen.final.text;
    ASSERT_TRUE(QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, (DWORD)SERVICE_STOPPED);
    CloseServiceHandle(service);
    // Deleted: the manager no longer opens it once the last handle is closed.
    SetLastError(0);
    SC_HANDLE again = OpenServiceA(manager, "VelmorantTestService", SERVICE_ALL_ACCESS);
    bool gone = again == NULL || (!DeleteService(again) &&
                                  GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE);
    EXPECT_TRUE(gone);
    if (again != NULL)
        CloseServiceHandle(again);
    CloseServiceHandle(manager);
    EXPECT_FALSE(fileExists(std::string(defaultFolder) + "\\velmorantsvc.exe"));
    expectProductGone(defaultFolder);
}
