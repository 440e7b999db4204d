// The uninstaller after a real setup run: started from outside the way the Start-menu
// shortcut starts it, driven through its message boxes, judged by what is left on the machine.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <aclapi.h>
#include <sddl.h>
#include <stdlib.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/expectedTexts.h"
#include "support/folderDialogDriver.h"
#include "support/plantedDlls.h"
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
// existingFolder: the chosen folder exists, which the setup program asks about.
void install(const char *program, const char *parent = NULL, const char *application = NULL,
             int startupAnswer = 0, bool existingFolder = false)
{
    ProcessRun run;
    ASSERT_TRUE(run.start("\"" + buildFile(program) + "\""));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, run.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
    ASSERT_NE(chooseFolderInDialog(run.processId(), parent, application).dialog, (HWND)NULL);
    if (existingFolder)
        answerBox("Write Data to Existing Folder?", IDYES, 30000, run.processId());
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

// What a test does while the uninstaller asks its question, before the answer.
typedef std::function<void()> WhileAsked;

// Starts the uninstaller with the command line in folder, answers its question and its boxes;
// finalTitle is the title of the closing message expected.
Uninstall runUninstallCommand(const std::string &command, const char *folder, int answer,
                              const char *finalTitle = "Uninstall Complete",
                              const WhileAsked &whileAsked = nullptr)
{
    Uninstall seen;
    ProcessRun run;
    EXPECT_TRUE(run.start(command, folder)) << command;
    if (whileAsked && waitForWindow("Uninstall Velmorant", 30000, run.processId()) != NULL)
        whileAsked();
    seen.confirmation = answerFilledBox("Uninstall Velmorant", answer, 30000, run.processId());
    if (answer == IDYES) {
        seen.closing = answerFilledBox("Closing Running Copies", IDOK, 30000, run.processId());
        seen.final = answerFilledBox(finalTitle, IDOK, 60000, run.processId());
    }
    seen.exitCode = run.wait();
    return seen;
}

// The same, started as the "Uninstall" shortcut names it.
Uninstall runUninstaller(int answer, const char *finalTitle = "Uninstall Complete",
                         const WhileAsked &whileAsked = nullptr)
{
    Link link = readLink(groupFolder() + "\\Uninstall.lnk");
    EXPECT_NE(link.target, "");
    if (link.target.empty())
        return Uninstall();
    return runUninstallCommand("\"" + link.target + "\"", link.folder.c_str(), answer, finalTitle,
                               whileAsked);
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

std::string temporaryFolder()
{
    char path[MAX_PATH] = "";
    GetTempPathA(sizeof path, path);
    return path;
}

// A folder's access list as text (SDDL).
std::string accessList(const std::string &path)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    PACL list = NULL;
    std::string text = "<unread>";
    char *converted = NULL;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL,
                              &list, NULL, &descriptor) == ERROR_SUCCESS &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION,
                                                             &converted, NULL)) {
        text = converted;
        LocalFree(converted);
    }
    if (descriptor != NULL)
        LocalFree(descriptor);
    return text;
}

// The helper's copy and its folder wait for the restart, and the final message does not name
// them: exactly those are scheduled, the copy alone in a folder of its own in the temporary
// folder, which no one but the system and the user who ran it may use.
std::vector<std::string> expectCopyLeftForRestart(const std::string &finalText)
{
    std::vector<std::string> pending = pendingRemovals();
    EXPECT_EQ(lower(finalText).find(lower(temporaryFolder())), std::string::npos) << finalText;
    EXPECT_EQ(pending.size(), 2u);
    if (pending.size() == 2) {
        EXPECT_EQ(lower(pending[0]), lower(pending[1] + "\\qxuninst.exe"));
        EXPECT_EQ(lower(pending[1].substr(0, pending[1].rfind('\\') + 1)),
                  lower(temporaryFolder()));
        std::map<std::string, long long> copyFolder;
        listTree(pending[1], copyFolder);
        EXPECT_EQ(copyFolder.size(), 1u);
        EXPECT_TRUE(fileExists(pending[0]));
        // Wine keeps no access list as set, but one without Everyone leaves other users out.
        std::string access = accessList(pending[1]);
        EXPECT_NE(access.find(";;;SY)"), std::string::npos) << access;
        for (const char *others : {";;;WD)", ";;;BU)", ";;;AU)"})
            EXPECT_EQ(access.find(others), std::string::npos) << access;
    }
    return pending;
}

// Nothing added but the allowed paths (in lower case), nothing changed or removed.
void expectTreeAsBefore(const std::map<std::string, long long> &before,
                        const std::map<std::string, long long> &after,
                        const std::set<std::string> &allowed)
{
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
    // Earlier uninstalls' helpers in the temporary folder: a copy alone in its folder goes with
    // it; a user's file in such a folder stays, and so does a link of such a name and where it
    // leads.
    const std::string earlier = temporaryFolder() + "qxu11-22";
    const std::string shared = temporaryFolder() + "qxu33-44";
    const std::string linked = temporaryFolder() + "qxu55-66";
    const std::string users = temporaryFolder() + "qxu-notes";  // no name a helper is given
    const std::string elsewhere = scratchFolder("elsewhere");
    for (const std::string &helper : {earlier, shared, users}) {
        ASSERT_TRUE(CreateDirectoryA(helper.c_str(), NULL));
        ASSERT_TRUE(writeFile(helper + "\\qxuninst.exe", "an earlier copy"));
    }
    ASSERT_TRUE(writeFile(shared + "\\notes.txt", "mine"));
    ASSERT_TRUE(writeFile(elsewhere + "\\qxuninst.exe", "not a copy"));
    ASSERT_TRUE(makeUnixLink(linked, elsewhere));

    Uninstall seen = runUninstaller(IDYES);
    EXPECT_FALSE(folderExists(earlier));
    EXPECT_FALSE(fileExists(shared + "\\qxuninst.exe"));
    EXPECT_EQ(readFile(shared + "\\notes.txt"), "mine");
    EXPECT_EQ(readFile(users + "\\qxuninst.exe"), "an earlier copy");
    EXPECT_EQ(readFile(elsewhere + "\\qxuninst.exe"), "not a copy");
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
// value and the uninstaller's copy that waits for the next restart; also what a setup run
// stopped while it replaced files leaves beside them.
TEST(Uninstall, RoundTripLeavesThePrefixAsBefore)
{
    std::map<std::string, long long> before, after;
    listTree("C:", before);
    ASSERT_GT(before.size(), 100u);
    ASSERT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");

    install("setup.exe");
    ASSERT_TRUE(fileExists(std::string(defaultFolder) + "\\qxuninst.exe"));
    for (const char *side : {"velmorant.vminst-journal", "velmorant.exe.vminst-new",
                             "velmorant.exe.manifest.vminst-old1", "velmorant.exe.vminst-old7"})
        ASSERT_TRUE(writeFile(std::string(defaultFolder) + "\\" + side, "a stopped run's"));
    Uninstall seen = runUninstaller(IDYES);
    EXPECT_EQ(seen.exitCode, 0);
    EXPECT_EQ(seen.final.text, removedText);
    std::vector<std::string> restart = expectCopyLeftForRestart(seen.final.text);
    EXPECT_TRUE(waitUntilGone(defaultFolder));
    expectProductGone(defaultFolder);

    listTree("C:", after);
    std::set<std::string> allowed = {lower(windowsFolder() + "\\velmorant.ini")};
    for (const std::string &item : restart)
        allowed.insert(lower(item));
    expectTreeAsBefore(before, after, allowed);
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
              "\"" + std::string(defaultFolder) + "\\qxuninst.exe\"");
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

// A setup run elevated over the shoulder of another user put the shortcuts in that user's
// folders and recorded them: the uninstaller removes the product's own names there, and
// nothing else; a recorded folder that now leads elsewhere is left alone and named.
TEST(Uninstall, ShortcutsInTheRecordedFoldersGoThere)
{
    install("tests/uninstall/setupStartupEntry.exe", NULL, NULL, IDNO);
    std::string desk = scratchFolder("desk");
    std::string programs = desk + "\\Programs";
    std::string startup = desk + "\\Startup";
    std::string elsewhere = scratchFolder("elsewhere");
    ASSERT_TRUE(CreateDirectoryA(programs.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((programs + "\\Velmorant").c_str(), NULL));
    ASSERT_TRUE(makeUnixLink(startup, elsewhere));
    for (const char *name : {"\\Velmorant\\Velmorant.lnk", "\\Velmorant\\Uninstall.lnk",
                             "\\Velmorant\\Notes.lnk"})
        ASSERT_TRUE(writeFile(programs + name, "link")) << name;
    ASSERT_TRUE(writeFile(elsewhere + "\\Velmorant Agent.lnk", "theirs"));
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstallKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    for (auto value : {std::make_pair("ShortcutProgramsFolder", programs),
                       std::make_pair("ShortcutStartupFolder", startup)})
        RegSetValueExA(key, value.first, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.second.c_str()),
                       (DWORD)value.second.size() + 1);
    RegCloseKey(key);
    Uninstall seen = runUninstaller(IDYES, "Velmorant Not Completely Removed");
    EXPECT_NE(seen.final.text.find("\r\n" + startup + " (it was replaced by a link to another "
                                   "place, so it was left alone)"),
              std::string::npos)
        << seen.final.text;
    EXPECT_FALSE(fileExists(programs + "\\Velmorant\\Velmorant.lnk"));
    EXPECT_FALSE(fileExists(programs + "\\Velmorant\\Uninstall.lnk"));
    EXPECT_EQ(readFile(programs + "\\Velmorant\\Notes.lnk"), "link");
    EXPECT_EQ(readFile(elsewhere + "\\Velmorant Agent.lnk"), "theirs");
    EXPECT_FALSE(folderExists(groupFolder()));
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

// The entry as the list of installed programs shows and runs it. Its command, started as a
// command line from the system folder with a program planted at C:\Program.exe, runs the
// uninstaller, never the plant. In that whole run no DLL planted in the data folder (beside the
// uninstaller and the product's program) or in the temporary folder is loaded; the program
// running from the installation is closed, and a stranger's window whose title begins with the
// product's name is not even asked.
TEST(Uninstall, EntryRunAsListedClosesOnlyTheProgramAndLoadsNoPlant)
{
    install("setup.exe");
    const std::string folder = defaultFolder;
    std::string command = machineRegistryText(uninstallKey, "UninstallString");
    EXPECT_EQ(command, "\"" + folder + "\\qxuninst.exe\"");
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayIcon"), "\"" + folder + "\\velmorant.exe\",0");
    EXPECT_EQ(machineRegistryText(uninstallKey, "InstallLocation"), folder);
    long long bytes = 0;
    for (const char *name : {"velmorant.exe", "velmorant.exe.manifest", "qxuninst.exe"})
        bytes += (long long)readFile(folder + "\\" + name).size();
    EXPECT_EQ(machineRegistryNumber(uninstallKey, "EstimatedSize"), (bytes + 1023) / 1024);
    EXPECT_EQ(machineRegistryNumber(uninstallKey, "NoModify"), 1);
    EXPECT_EQ(machineRegistryNumber(uninstallKey, "NoRepair"), 1);
    std::string listed = scratchFolder("listed") + "\\list.txt";
    ProcessRun list;
    ASSERT_TRUE(list.start("cmd.exe /c uninstaller.exe --list > \"" + listed + "\""));
    EXPECT_EQ(list.wait(), 0);
    EXPECT_NE(readFile(listed).find("|||Velmorant"), std::string::npos) << readFile(listed);

    ASSERT_TRUE(CopyFileA(buildFile("tests/sequence/recorder.exe").c_str(), "C:\\Program.exe", FALSE));
    clearPlantMarks();
    ASSERT_TRUE(plantDlls(folder, wholeRunDllNames));
    ASSERT_TRUE(plantDlls(temporaryFolder(), wholeRunDllNames));
    for (const char *program : {"qxuninst.exe", "velmorant.exe"})
        preferNativeCopies(program, wholeRunDllNames);
    ASSERT_TRUE(writeFile(folder + "\\my notes.txt", "mine"));

    // The product as the setup program's last question starts it, in the data folder.
    ProcessRun product;
    ASSERT_TRUE(product.start("\"" + folder + "\\velmorant.exe\"", folder.c_str()));
    ASSERT_NE(waitForWindow(("Velmorant - " + folder).c_str(), 30000, product.processId()),
              (HWND)NULL);
    std::string log = scratchFolder("stranger") + "\\requests.log";
    ProcessRun stranger;
    ASSERT_TRUE(stranger.start("\"" + buildFile("tests/system/titledWindows.exe") + "\" \"" + log +
                               "\" \"Velmorant notes.txt - Notepad\""));
    for (int waited = 0; readFile(log) != "ready\n"; waited += 50) {
        ASSERT_LT(waited, 30000) << "the stranger's window did not come up";
        Sleep(50);
    }

    // Another program put at the uninstaller's name once it runs, where that can be done at
    // all: the helper is still a copy of the uninstaller that was started.
    const std::string uninstaller = readFile(folder + "\\qxuninst.exe");
    const std::string planted = folder + "\\qxuninst.exe";
    Uninstall seen = runUninstallCommand(command, systemFolder().c_str(), IDYES,
                                         "Uninstall Complete", [&] {
        if (MoveFileA(planted.c_str(), (folder + "\\qxuninst.old").c_str())) {
            EXPECT_TRUE(CopyFileA(buildFile("tests/sequence/recorder.exe").c_str(),
                                  planted.c_str(), FALSE));
        }
    });
    EXPECT_EQ(seen.exitCode, 0) << seen.final.text;
    std::vector<std::string> pending = pendingRemovals();
    EXPECT_TRUE(!pending.empty() && readFile(pending[0]) == uninstaller) << "the helper is no copy";
    EXPECT_EQ(product.wait(0), 0) << "the installed program was not closed";
    EXPECT_TRUE(stranger.running());
    EXPECT_EQ(readFile(log), "ready\n") << "the stranger's window was asked";
    EXPECT_EQ(readFile("C:\\velmorant-tests\\calls.log"), "") << "the plant was started";
    EXPECT_EQ(loadedPlants(wholeRunDllNames), std::vector<std::string>());
    expectProductGone(folder);
    EXPECT_EQ(readFile(folder + "\\my notes.txt"), "mine");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), folder);
}

// A data folder at a drive's root: the payload goes, and nothing else of the drive, the
// temporary folder included, is touched. "C:" alone would name drive C:'s current folder.
TEST(Uninstall, RootFolderLeavesTheRestOfTheDrive)
{
    std::map<std::string, long long> before, after;
    listTree("C:", before);
    install("setup.exe", "C:\\", "", 0, true);
    ASSERT_TRUE(fileExists("C:\\velmorant.exe"));
    Uninstall seen = runUninstaller(IDYES);
    EXPECT_EQ(seen.confirmation.text, confirmationText("C:\\"));
    std::string expectedStart = std::string(removedText) +
                                "\r\n\r\nThe folder C:\\ was kept because it holds files that "
                                "were not installed with Velmorant.";
    EXPECT_EQ(seen.final.text.substr(0, expectedStart.size()), expectedStart) << seen.final.text;
    EXPECT_EQ(seen.exitCode, 0);
    std::vector<std::string> restart = expectCopyLeftForRestart(seen.final.text);
    EXPECT_TRUE(waitUntilGone("C:\\qxuninst.exe"));
    Sleep(500);  // the helper's last steps

    listTree("C:", after);
    std::set<std::string> allowed = {lower(windowsFolder() + "\\velmorant.ini")};
    for (const std::string &item : restart)
        allowed.insert(lower(item));
    expectTreeAsBefore(before, after, allowed);
}

// Files in nested folders go with the folders they emptied, up to the data folder; a folder
// that holds a file of the user's stays. A file still held for a moment after the removal
// begins, as by a program just asked to close, is removed by a later attempt.
TEST(Uninstall, NestedFoldersGoWhenEmptiedAndAHeldFileIsRetried)
{
    install("tests/uninstall/setupNested.exe");
    const std::string folder = defaultFolder;
    ASSERT_TRUE(fileExists(folder + "\\help\\guide\\intro.txt"));
    ASSERT_TRUE(writeFile(folder + "\\samples\\mine.txt", "mine"));
    // Held without sharing its deletion until the file removed before it is gone.
    std::string held = folder + "\\help\\readme.txt";
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::thread letGo([&] {
        waitUntilGone(folder + "\\help\\guide\\intro.txt", 90000);
        Sleep(200);
        CloseHandle(file);
    });
    Uninstall seen = runUninstaller(IDYES);
    letGo.join();
    EXPECT_EQ(seen.exitCode, 0) << seen.final.text;
    EXPECT_FALSE(fileExists(held));
    EXPECT_FALSE(folderExists(folder + "\\help"));
    EXPECT_FALSE(folderExists(folder + "\\samples\\sets"));
    EXPECT_FALSE(folderExists(folder + "\\deep"));  // it held only the folder inner
    EXPECT_EQ(readFile(folder + "\\samples\\mine.txt"), "mine");
    expectProductGone(folder);
}

// A folder of the installation replaced by a link between the question and the removal (Wine
// makes no junctions; it shows a Unix link to a folder as one): nothing is deleted through it,
// and the closing message names it; the rest goes.
TEST(Uninstall, AFolderReplacedByALinkIsLeftAlone)
{
    install("tests/uninstall/setupNested.exe");
    const std::string folder = defaultFolder;
    const std::string elsewhere = scratchFolder("elsewhere");
    ASSERT_TRUE(CreateDirectoryA((elsewhere + "\\guide").c_str(), NULL));
    for (const char *name : {"\\readme.txt", "\\guide\\intro.txt"})
        ASSERT_TRUE(writeFile(elsewhere + name, "theirs"));
    Uninstall seen = runUninstaller(IDYES, "Velmorant Not Completely Removed", [&] {
        std::string aside = scratchFolder("aside") + "\\help";
        EXPECT_TRUE(MoveFileA((folder + "\\help").c_str(), aside.c_str()));
        EXPECT_TRUE(makeUnixLink(folder + "\\help", elsewhere));
    });
    EXPECT_EQ(seen.final.text.substr(0, seen.final.text.find("\r\n\r\nClose")),
              "Velmorant has been removed from your computer, except for the following, which "
              "could not be removed:\r\n\r\n" + folder + "\\help (it was replaced by a link to "
              "another place, so it was left alone)");
    EXPECT_EQ(seen.exitCode, 1);
    for (const char *name : {"\\readme.txt", "\\guide\\intro.txt"})
        EXPECT_EQ(readFile(elsewhere + name), "theirs") << name;
    EXPECT_FALSE(fileExists(folder + "\\velmorant.exe"));
    EXPECT_FALSE(folderExists(folder + "\\deep"));
    EXPECT_FALSE(folderExists(folder + "\\samples"));

    // The data folder itself: the removal stops at it, and no helper is left to remove the
    // uninstaller through it.
    const std::string second = "C:\\Program Files\\Linked Velmorant";
    install("tests/uninstall/setupNested.exe", "C:\\Program Files", "Linked Velmorant");
    const std::string moved = scratchFolder("moved") + "\\Linked Velmorant";
    std::vector<std::string> pending = pendingRemovals();
    seen = runUninstaller(IDYES, "Velmorant Not Completely Removed", [&] {
        EXPECT_TRUE(MoveFileA(second.c_str(), moved.c_str()));
        EXPECT_TRUE(makeUnixLink(second, elsewhere));
    });
    EXPECT_NE(seen.final.text.find(":\r\n\r\n" + second + " (it was replaced by a link"),
              std::string::npos) << seen.final.text;
    EXPECT_EQ(pendingRemovals(), pending);
    EXPECT_TRUE(fileExists(moved + "\\velmorant.exe"));
    for (const char *name : {"\\readme.txt", "\\guide\\intro.txt"})
        EXPECT_EQ(readFile(elsewhere + name), "theirs") << name;
}

// An event of the hand-over's name that another program made (and set) first could tell the
// uninstaller that its helper holds it: then no helper takes over, and the uninstaller is left
// for the restart. This payload's uninstaller draws the names 7-1, 7-2, ...
TEST(Uninstall, HandOverRefusesAnEventMadeBeforeIt)
{
    install("tests/uninstall/setupNested.exe");
    const std::string folder = defaultFolder;
    HANDLE planted = CreateEventA(NULL, TRUE, TRUE, "qxuninst-handover-qxu7-1");
    ASSERT_NE(planted, (HANDLE)NULL);
    Uninstall seen = runUninstaller(IDYES);
    CloseHandle(planted);
    const std::string uninstaller = folder + "\\qxuninst.exe";
    EXPECT_EQ(seen.final.text,
              removedText + std::string(restartHeading) + uninstaller + "\r\n" + folder);
    EXPECT_EQ(seen.exitCode, 1);
    EXPECT_EQ(pendingRemovals(), std::vector<std::string>({uninstaller, folder}));
    Sleep(1000);  // a helper, had one been started, would act now
    EXPECT_TRUE(fileExists(uninstaller));
    EXPECT_FALSE(folderExists(temporaryFolder() + "qxu7-1"));
}

// A setup run that starts while the uninstaller ends may be putting a new uninstaller in the
// folder: the helper, finding the lock taken once the original has ended, leaves the file.
TEST(Uninstall, HelperLeavesTheUninstallerWhenASetupRunHoldsTheLock)
{
    install("setup.exe");
    HANDLE lock = NULL;
    Uninstall seen = runUninstaller(IDYES, "Uninstall Complete", [&lock]() {
        lock = CreateMutexA(NULL, FALSE, "Global\\Velmorant setup or uninstall");
    });
    ASSERT_NE(lock, (HANDLE)NULL);
    EXPECT_EQ(seen.exitCode, 0);
    Sleep(3000);  // the helper acts as soon as the uninstaller has ended
    EXPECT_TRUE(fileExists(std::string(defaultFolder) + "\\qxuninst.exe"));
    CloseHandle(lock);
}
