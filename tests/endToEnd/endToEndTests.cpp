// Whole runs of the setup program as a user makes them, and everything they leave behind:
// files and their times, shortcuts, the uninstall key, the INI value, started programs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installation.h"
#include "support/expectedTexts.h"
#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/shellLinks.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

TEST(Install, ChosenFolderAnsweredNo)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Apps", NULL));
    ProcessRun run;
    startAndAccept(run);
    FolderDialogSeen shown = chooseFolderInDialog(run.processId(), "C:\\Apps", "Velmorant");
    EXPECT_EQ(shown.parent, "C:\\Program Files");
    EXPECT_EQ(shown.application, "Velmorant");
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
    EXPECT_EQ(run.wait(), 0);
    expectInstalledIn("C:\\Apps\\Velmorant");
    // No: nothing is started.
    EXPECT_EQ(waitForWindow("Velmorant - C:\\Apps\\Velmorant", 2000), (HWND)NULL);
}

TEST(Install, YesStartsTheInstalledProgram)
{
    ProcessRun run;
    startAndAccept(run);
    chooseFolderInDialog(run.processId(), NULL, NULL);
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDYES, NULL}});
    EXPECT_EQ(run.wait(), 0);
    expectInstalledIn("C:\\Program Files\\Velmorant");
    // The program shows the data folder the INI value names.
    HWND program = waitForWindow("Velmorant - C:\\Program Files\\Velmorant", 30000);
    ASSERT_NE(program, (HWND)NULL);
    PostMessageA(program, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitForWindowGone(program));
}

TEST(Install, SecondRunProposesTheStoredFolder)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Tools", NULL));
    {
        ProcessRun first;
        startAndAccept(first);
        chooseFolderInDialog(first.processId(), "C:\\Tools", "MyVelmorant");
        walk(first.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
        ASSERT_EQ(first.wait(), 0);
    }
    ProcessRun second;
    startAndAccept(second);
    FolderDialogSeen shown = chooseFolderInDialog(second.processId(), NULL, NULL);
    EXPECT_EQ(shown.parent, "C:\\Tools");
    EXPECT_EQ(shown.application, "MyVelmorant");
    walk(second.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
    EXPECT_EQ(second.wait(), 0);
    expectInstalledIn("C:\\Tools\\MyVelmorant");
}

// A relative parent is made absolute from the setup program's current directory before it
// is stored anywhere: the INI value, the uninstall key and the shortcuts name the full path.
TEST(Install, RelativeParentIsStoredInFull)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Apps", NULL));
    ProcessRun run;
    ASSERT_TRUE(run.start(quoted(buildFile("setup.exe")), "C:\\Apps"));
    walk(run.processId(), {{"END USER LICENSE AGREEMENT", IDOK, NULL}}, 30000);
    chooseFolderInDialog(run.processId(), ".", "Velmorant");
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
    EXPECT_EQ(run.wait(), 0);
    expectInstalledIn("C:\\Apps\\Velmorant");
}

// Under code page 932 (the test entry runs with a Japanese locale) the parent "C:\表" ends
// in the byte of "\": it is a whole character, and the folder goes below it.
TEST(CodePage932, ParentEndingInABackslashByte)
{
    ASSERT_EQ(GetACP(), 932u) << "no Japanese locale: tools/deps.sh generates ja_JP.UTF-8";
    const std::string parent = "C:\\\x95\x5C";  // "C:\表"
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), NULL));
    ProcessRun run;
    startAndAccept(run);
    chooseFolderInDialog(run.processId(), parent.c_str(), "Velmorant");
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
    EXPECT_EQ(run.wait(), 0);
    expectInstalledIn(parent + "\\Velmorant");
    EXPECT_FALSE(folderExists("C:\\\x95\x5CVelmorant"));
}

TEST(Decline, EscapeKey)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(quoted(buildFile("setup.exe"))));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, run.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    // The key reaches the control with the focus, the "I Accept" button; the dialog manager
    // turns Escape into Cancel.
    HWND acceptButton = GetDlgItem(agreement, IDOK);
    HWND focus = NULL;
    for (int waited = 0; focus == NULL && waited < 5000; waited += 50, Sleep(50))
        focus = pressKey(agreement, VK_ESCAPE);
    ASSERT_EQ(focus, acceptButton);
    walk(run.processId(), {{"Application Not Installed", IDOK, notInstalledText}});
    EXPECT_EQ(run.wait(), 0);
    expectNothingRegistered();
}

TEST(Decline, CancelledFolderChoice)
{
    ProcessRun run;
    startAndAccept(run);
    HWND dialog = waitForWindow("Choose a Folder", 30000, run.processId());
    ASSERT_NE(dialog, (HWND)NULL);
    pressButton(dialog, IDCANCEL);
    walk(run.processId(), {{"Shutting Down", IDOK, shuttingDownText},
                           {"Application Not Installed", IDOK, notInstalledText}});
    EXPECT_EQ(run.wait(), 0);
    expectNothingRegistered();
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "<missing>");
    EXPECT_FALSE(folderExists("C:\\Program Files\\Velmorant"));
}

// T: is a 200 KB drive: not the megabyte the program needs. The user picks another folder.
TEST(DiskSpace, SmallDriveThenAnotherFolder)
{
    ProcessRun run;
    startAndAccept(run);
    chooseFolderInDialog(run.processId(), "T:", "Velmorant");
    walk(run.processId(),
         {{"Not Enough Disk Space", IDOK,
           "Not enough free disk space is available on the drive you have specified. 1 megabytes "
           "of free space are required for the proper operation of the program. On drive T:\\ "
           "only 0 megabytes of free space are available.\r\n\r\nYou will be given another "
           "opportunity to choose a location for the software. You may wish to cancel the "
           "installation process, or use your Windows desktop to delete files, making more room "
           "for the program."}});
    FolderDialogSeen again = chooseFolderInDialog(run.processId(), "C:\\Program Files", "Velmorant");
    EXPECT_EQ(again.parent, "T:");
    EXPECT_EQ(again.application, "Velmorant");
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
    EXPECT_EQ(run.wait(), 0);
    expectInstalledIn("C:\\Program Files\\Velmorant");
    EXPECT_FALSE(fileExists("T:\\Velmorant\\velmorant.exe"));
}

// The uninstaller of an earlier installation is read-only: it cannot be replaced. The run
// stops with its message; the earlier file is as it was and nothing of the run is left.
TEST(FailedExtraction, ReadOnlyTargetKeepsWhatWasThere)
{
    std::string folder = "C:\\Apps\\Velmorant";
    ASSERT_TRUE(CreateDirectoryA("C:\\Apps", NULL));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(writeFile(folder + "\\qxuninst.exe", "earlier uninstaller"));
    ASSERT_TRUE(SetFileAttributesA((folder + "\\qxuninst.exe").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(writeFile(folder + "\\notes.txt", "the user's notes"));
    std::vector<std::string> before = installationState(folder);
    ProcessRun run;
    startAndAccept(run);
    chooseFolderInDialog(run.processId(), "C:\\Apps", "Velmorant");
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {failedTitle, IDOK, failedCreateText}});
    EXPECT_EQ(run.wait(), 0);
    // Only the two earlier files: no new one, no temporary name. No INI value was there: the
    // chosen folder stays, to be proposed next time.
    before.back() = "ini " + folder;
    EXPECT_EQ(installationState(folder), before);
    EXPECT_EQ(readFile(folder + "\\qxuninst.exe"), "earlier uninstaller");
    expectNothingRegistered();
}

// The disk fills during an upgrade of the files on T: while the product is installed on C:.
// The files on T: are as they were, and the INI value still names the folder on C:, whose
// installation is untouched.
TEST(FailedExtraction, DiskFullDuringExtraction)
{
    installWithDefaults();
    std::vector<std::string> installed = installationState(defaultFolder);
    ASSERT_TRUE(CreateDirectoryA("T:\\Velmorant", NULL));
    ASSERT_TRUE(writeFile("T:\\Velmorant\\small.dat", "earlier small.dat"));
    ASSERT_TRUE(writeFile("T:\\Velmorant\\notes.txt", "the user's notes"));
    std::vector<std::string> earlier = installationState("T:\\Velmorant");
    ProcessRun run;
    startAndAccept(run, "tests/endToEnd/setupBigPayload.exe");
    chooseFolderInDialog(run.processId(), "T:", "Velmorant");
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {failedTitle, IDOK, failedWriteText}});
    EXPECT_EQ(run.wait(), 0);
    EXPECT_EQ(installationState("T:\\Velmorant"), earlier);
    EXPECT_EQ(installationState(defaultFolder), installed);
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), defaultFolder);
}
