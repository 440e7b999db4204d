// Whole runs of the setup program as a separate process, driven through its windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <aclapi.h>
#include <sddl.h>

#include "support/expectedTexts.h"
#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/shellLinks.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

namespace {

const char uninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant";

std::string setupProgram(const char *name)
{
    return "\"" + buildFile(std::string(name)) + "\"";
}

// Starts the program and accepts or refuses its agreement; returns the agreement dialog's
// texts checked on the way.
HWND waitForAgreement(ProcessRun &run)
{
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, run.processId());
    EXPECT_NE(agreement, (HWND)NULL);
    // The background window is up behind it.
    EXPECT_NE(waitForWindow("Install Velmorant", 1000, run.processId()), (HWND)NULL);
    return agreement;
}

const char installedIn[] = "C:\\Program Files\\Velmorant";

// The recorder programs' log: one line per start.
std::vector<std::string> recordedStarts(size_t atLeast = 0, int timeoutMs = 10000,
                                        const char *file = "C:\\velmorant-tests\\calls.log")
{
    std::vector<std::string> lines;
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        lines.clear();
        std::string log = readFile(file);
        size_t start = 0;
        for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(log.substr(start, end - start));
        if (lines.size() >= atLeast)
            break;
        Sleep(50);
    }
    return lines;
}

// Which program started each recorder: "<name>|<parent's file name>", in the order of the
// starts (each recorder writes it after its line of calls.log, so the lines are waited for).
std::vector<std::string> recordedParents(size_t count)
{
    return recordedStarts(count, 10000, "C:\\velmorant-tests\\parents.log");
}

// Makes Wine report Windows 98 to one program.
void reportWindows98To(const char *exeName)
{
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + exeName;
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                              &handle, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(handle, "Version", 0, REG_SZ, (const BYTE *)"win98", 6);
    RegCloseKey(handle);
}

const char oldServiceName[] = "VelmorantTestService";

// Whether the service manager knows the service (and it is not on its way out).
bool serviceInstalled(const char *name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager != NULL ? OpenServiceA(manager, name, SERVICE_QUERY_STATUS) : NULL;
    bool installed = service != NULL;
    if (service != NULL)
        CloseServiceHandle(service);
    if (manager != NULL)
        CloseServiceHandle(manager);
    return installed;
}

// Installs and starts the test service under the name the test build's settings give.
bool installOldService()
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager == NULL)
        return false;
    std::string command = "\"" + buildFile("tests/system/testService.exe") + "\" 500";
    SC_HANDLE service = CreateServiceA(manager, oldServiceName, "Velmorant old service",
                                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(),
                                       NULL, NULL, NULL, NULL, NULL);
    bool started = service != NULL && StartServiceA(service, 0, NULL);
    if (service != NULL)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return started;
}

}  // namespace

TEST(DefaultSettings, WholeRunAnsweredNo)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("setup.exe")));
    HWND agreement = waitForAgreement(run);
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);

    FolderDialogSeen folder = chooseFolderInDialog(run.processId(), NULL, NULL);
    ASSERT_NE(folder.dialog, (HWND)NULL);
    EXPECT_EQ(folder.parent, "C:\\Program Files");
    EXPECT_EQ(folder.application, "Velmorant");
    SeenBox copies = answerBox("Close Running Copies First!", IDOK, 30000, run.processId());
    EXPECT_EQ(copies.text, closeCopiesText);
    SeenBox done = answerBox("Installation Successful", IDNO, 60000, run.processId());
    EXPECT_EQ(done.text, doneText);
    EXPECT_EQ(run.wait(), 0);

    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "Velmorant");
    EXPECT_EQ(machineRegistryText(uninstallKey, "UninstallString"),
              "\"C:\\Program Files\\Velmorant\\qxuninst.exe\"");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "C:\\Program Files\\Velmorant");
}

// An existing folder that other users can change: one question, before anything is written
// there or about it. No opens the folder dialog again with its fields; Yes installs there.
TEST(DefaultSettings, FolderOpenToOthersIsQuestionedFirst)
{
    std::string parent = scratchFolder("open");
    std::string folder = parent + "\\Velmorant";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(allowEveryoneToChange(folder));
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("setup.exe")));
    HWND agreement = waitForAgreement(run);
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
    ASSERT_NE(chooseFolderInDialog(run.processId(), parent.c_str(), "Velmorant").dialog, (HWND)NULL);
    SeenBox question = answerBox("Folder Open to Other Users", IDNO, 30000, run.processId());
    EXPECT_EQ(question.text, openToOthersText);
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "<missing>");

    FolderDialogSeen again = chooseFolderInDialog(run.processId(), NULL, NULL);
    ASSERT_NE(again.dialog, (HWND)NULL);
    EXPECT_EQ(again.parent, parent);
    EXPECT_EQ(again.application, "Velmorant");
    EXPECT_TRUE(matchingNames(folder + "\\*").empty()) << "written before the answer";
    walk(run.processId(), {{"Folder Open to Other Users", IDYES, openToOthersText},
                           {"Close Running Copies First!", IDOK, closeCopiesText},
                           {"Installation Successful", IDNO, doneText}});
    EXPECT_EQ(run.wait(), 0);
    EXPECT_TRUE(fileExists(folder + "\\velmorant.exe"));
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), folder);
}

// The setup program and the uninstaller take one lock: the one started second says so and
// ends without writing, whichever it is, and so does a run that finds another object under
// the lock's name.
TEST(DefaultSettings, SetupAndUninstallerNeverRunTogether)
{
    std::string uninstaller = "\"" + buildFile("uninstall/qxuninst.exe") + "\"";
    ProcessRun setup;
    ASSERT_TRUE(setup.start(setupProgram("setup.exe")));
    HWND agreement = waitForAgreement(setup);
    ASSERT_NE(agreement, (HWND)NULL);
    ProcessRun second;
    ASSERT_TRUE(second.start(uninstaller));
    SeenBox refused = answerBox("Setup or Uninstall Running", IDOK, 30000, second.processId());
    EXPECT_EQ(refused.text, uninstallerRunningText);
    EXPECT_EQ(second.wait(), 4);
    pressButton(agreement, IDCANCEL);
    answerBox("Application Not Installed", IDOK, 20000, setup.processId());
    EXPECT_EQ(setup.wait(), 0);

    // The uninstaller first: its first box (no installation where the build keeps it) shows
    // while it holds the lock.
    ProcessRun uninstall;
    ASSERT_TRUE(uninstall.start(uninstaller));
    HWND notFound = waitForWindow("Installation Not Found", 30000, uninstall.processId());
    ASSERT_NE(notFound, (HWND)NULL);
    ProcessRun secondSetup;
    ASSERT_TRUE(secondSetup.start(setupProgram("setup.exe")));
    SeenBox running = answerBox("Setup Already Running", IDOK, 30000, secondSetup.processId());
    EXPECT_EQ(running.text, alreadyRunningText);
    EXPECT_EQ(secondSetup.wait(), 0);
    pressButton(notFound, IDOK);
    EXPECT_EQ(uninstall.wait(), 3);

    // An event that any program made under the lock's name holds it too.
    HANDLE planted = CreateEventA(NULL, TRUE, FALSE, "Global\\Velmorant setup or uninstall");
    ASSERT_NE(planted, (HANDLE)NULL);
    ProcessRun squatted;
    ASSERT_TRUE(squatted.start(setupProgram("setup.exe")));
    SeenBox refusedAgain = answerBox("Setup Already Running", IDOK, 30000, squatted.processId());
    EXPECT_EQ(refusedAgain.text, alreadyRunningText);
    EXPECT_EQ(squatted.wait(), 0);
    CloseHandle(planted);
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "<missing>");
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
}

TEST(DefaultSettings, DecliningTheAgreementEndsTheRun)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("setup.exe")));
    HWND agreement = waitForAgreement(run);
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDCANCEL);
    SeenBox box = answerBox("Application Not Installed", IDOK, 20000, run.processId());
    EXPECT_EQ(box.text, notInstalledText);
    EXPECT_EQ(run.wait(), 0);
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "<missing>");
}

TEST(DefaultSettings, ClosingTheAgreementEndsTheRun)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("setup.exe")));
    HWND agreement = waitForAgreement(run);
    ASSERT_NE(agreement, (HWND)NULL);
    PostMessageA(agreement, WM_SYSCOMMAND, SC_CLOSE, 0);  // the caption's Close box
    SeenBox box = answerBox("Application Not Installed", IDOK, 20000, run.processId());
    EXPECT_EQ(box.text, notInstalledText);
    EXPECT_EQ(run.wait(), 0);
}

// A dialog that cannot be created returns -1: the user has seen no agreement, so nothing
// may be installed.
TEST(DefaultSettings, AgreementThatCannotBeShownIsNotAccepted)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("tests/sequence/setupNoAgreement.exe")));
    SeenBox box = answerBox("Application Not Installed", IDOK, 30000, run.processId());
    EXPECT_EQ(box.text, notInstalledText);
    EXPECT_EQ(run.wait(), 0);
    EXPECT_FALSE(folderExists("C:\\Program Files\\Velmorant"));
}

// Every optional step on, on the NT family: the old service goes, the companion and the
// service program run with their arguments, no startup entry is made.
TEST(AllSteps, NtFamilyRunsTheServiceSteps)
{
    // A running copy of the product, and an old service of it, both to be got out of the way.
    ProcessRun product;
    ASSERT_TRUE(product.start(setupProgram("product/velmorant.exe")));
    ASSERT_NE(waitForWindow("Velmorant - (not recorded)", 30000, product.processId()), (HWND)NULL);
    ASSERT_TRUE(installOldService());

    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("tests/sequence/setupAllSteps.exe")));
    walk(run.processId(), {{"END USER LICENSE AGREEMENT", IDOK, NULL},
                           {"Choose a Folder", IDOK, NULL},
                           {"Closing Running Copies", IDOK, closingText}});
    EXPECT_EQ(product.wait(20000), 0) << "the running copy was not closed";
    walk(run.processId(), {{"Uninstalling Old Service (If Present)", IDOK, oldServiceText}});
    HWND newService = waitForWindow("Installing Service", 60000, run.processId());
    ASSERT_NE(newService, (HWND)NULL);
    EXPECT_FALSE(serviceInstalled(oldServiceName)) << "the old service is still there";
    // The companion was waited for: it has run before the next step's box.
    std::string folder = installedIn;
    EXPECT_EQ(recordedStarts(1, 0), std::vector<std::string>(
                                        {"nqlopsv.exe|\"" + folder + "\\nqlopsv.exe\" -install -sid=0|" + folder}));
    walk(run.processId(), {{"Installing Service", IDOK, newServiceText},
                           {"Installation Successful", IDYES, doneText}});
    EXPECT_EQ(run.wait(), 0);
    std::vector<std::string> expected = {
        "nqlopsv.exe|\"" + folder + "\\nqlopsv.exe\" -install -sid=0|" + folder,
        "velmorantsvc.exe|\"" + folder + "\\velmorantsvc.exe\" -install-service|" + folder,
        "velmorant.exe|\"" + folder + "\\velmorant.exe\"|" + folder,
    };
    EXPECT_EQ(recordedStarts(3), expected);
    // The product was started by the desktop's shell, as the signed-in user: not by the
    // elevated setup program, which started the companion and the service program.
    EXPECT_EQ(recordedParents(3), std::vector<std::string>({"nqlopsv.exe|setupAllSteps.exe",
                                                           "velmorantsvc.exe|setupAllSteps.exe",
                                                           "velmorant.exe|explorer.exe"}));
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), folder);
    // A service program is configured on the NT family: no startup entry.
    EXPECT_FALSE(fileExists(startupFolder() + "\\Velmorant Agent.lnk"));
}

TEST(AllSteps, ServiceProgramThatFailsIsReported)
{
    SetEnvironmentVariableA("RECORDER_EXIT_CODE", "3");  // inherited by the run's programs
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("tests/sequence/setupAllSteps.exe")));
    walk(run.processId(), {{"END USER LICENSE AGREEMENT", IDOK, NULL},
               {"Choose a Folder", IDOK, NULL},
               {"Closing Running Copies", IDOK, closingText},
               {"Uninstalling Old Service (If Present)", IDOK, oldServiceText},
               {"Installing Service", IDOK, newServiceText},
               {"Service Installation Failed", IDOK, serviceFailedText},
               {"Installation Successful", IDNO, doneText}});
    EXPECT_EQ(run.wait(), 0);
    EXPECT_EQ(recordedStarts(2).size(), 2u);  // companion and service program; nothing started
}

// On the 9x family no service step runs, and the startup entry is made without a question:
// the program starts at once with its arguments and a line feed. The final Yes starts it
// directly: the 9x family has no other user to start it as.
TEST(AllSteps, Windows98MakesTheStartupEntryWithoutAsking)
{
    reportWindows98To("setupAllSteps.exe");
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("tests/sequence/setupAllSteps.exe")));
    walk(run.processId(), {{"END USER LICENSE AGREEMENT", IDOK, NULL},
               {"Choose a Folder", IDOK, NULL},
               {"Closing Running Copies", IDOK, closingText},
               {"Installation Successful", IDYES, doneText}});
    EXPECT_EQ(run.wait(), 0);
    std::string folder = installedIn;
    std::vector<std::string> expected = {
        "velmorant.exe|\"" + folder + "\\velmorant.exe\"|" + folder,
        "velmorant.exe|\"" + folder + "\\velmorant.exe\" -minimized -x\\n|" + folder,
        "nqlopsv.exe|\"" + folder + "\\nqlopsv.exe\" -install -sid=0|" + folder,
    };
    std::vector<std::string> starts = recordedStarts(3);
    std::sort(starts.begin(), starts.end(), std::greater<std::string>());  // WinExec does not wait
    EXPECT_EQ(starts, expected);
    std::vector<std::string> parents = recordedParents(3);
    std::sort(parents.begin(), parents.end());
    EXPECT_EQ(parents, std::vector<std::string>({"nqlopsv.exe|setupAllSteps.exe",
                                                 "velmorant.exe|setupAllSteps.exe",
                                                 "velmorant.exe|setupAllSteps.exe"}));
    ShellLinkSeen startup = readShellLink(startupFolder() + "\\Velmorant Agent.lnk");
    ASSERT_TRUE(startup.loaded);
    EXPECT_EQ(startup.target, folder + "\\velmorant.exe");
    EXPECT_EQ(startup.arguments, "-minimized -x");
    EXPECT_EQ(startup.showCommand, 2u);  // minimized
}

TEST(StartupPrompt, YesMakesTheEntryAndStartsTheProgram)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("tests/sequence/setupStartupPrompt.exe")));
    walk(run.processId(), {{"END USER LICENSE AGREEMENT", IDOK, NULL},
               {"Choose a Folder", IDOK, NULL},
               {"Close Running Copies First!", IDOK, closeCopiesText},
               {"Add To Startup Group", IDYES, "Start Velmorant with Windows?"},
               {"Installation Successful", IDNO, doneText}});
    EXPECT_EQ(run.wait(), 0);
    std::string folder = installedIn;
    // Started at once by the desktop's shell: the run is elevated, as Wine runs a program whose
    // manifest asks for it.
    EXPECT_EQ(recordedStarts(1),
              std::vector<std::string>({"velmorant.exe|\"" + folder + "\\velmorant.exe\"|" + folder}));
    EXPECT_EQ(recordedParents(1), std::vector<std::string>({"velmorant.exe|explorer.exe"}));
    ShellLinkSeen startup = readShellLink(startupFolder() + "\\Velmorant.lnk");
    ASSERT_TRUE(startup.loaded);
    EXPECT_EQ(startup.target, folder + "\\velmorant.exe");
    EXPECT_EQ(startup.workingDirectory, folder);
    EXPECT_EQ(startup.arguments, "");
    EXPECT_EQ(startup.showCommand, 2u);
}

TEST(StartupPrompt, NoMakesNoEntryAndStartsNothing)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(setupProgram("tests/sequence/setupStartupPrompt.exe")));
    walk(run.processId(), {{"END USER LICENSE AGREEMENT", IDOK, NULL},
               {"Choose a Folder", IDOK, NULL},
               {"Close Running Copies First!", IDOK, closeCopiesText},
               {"Add To Startup Group", IDNO, "Start Velmorant with Windows?"},
               {"Installation Successful", IDNO, doneText}});
    EXPECT_EQ(run.wait(), 0);
    EXPECT_TRUE(recordedStarts(0, 0).empty());
    EXPECT_FALSE(fileExists(startupFolder() + "\\Velmorant.lnk"));
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), installedIn);
}
