// Whole runs of the setup program as a separate process, driven through its windows.
#include <gtest/gtest.h>

#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

namespace {

const char notInstalledText[] =
    "The application will not be installed at this time. If you decide to install the "
    "application later, just launch this program again to complete the installation process.";
const char closeCopiesText[] =
    "Do you already have an older version of Velmorant?\r\n\r\nIf you do, MAKE SURE IT IS NOT "
    "RUNNING RIGHT NOW. If it is running, shut it down BEFORE clicking the OK button.\r\n\r\n"
    "If you have not installed Velmorant before, just click the OK button.";
const char doneText[] =
    "Velmorant has been successfully installed on your system. Would you like to start "
    "Velmorant now?";
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
              "C:\\Program Files\\Velmorant\\qxuninst.exe");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "C:\\Program Files\\Velmorant");
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
