// Upgrades over an earlier installation that fail, are killed (also between their renames),
// follow each other while the programs they replace run, or are started twice at once, and a
// damaged setup file: the earlier installation stays as it was and working, or the upgrade
// completes; checked from outside in whole runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "installation.h"
#include "support/expectedTexts.h"
#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

namespace {

// A time no file of the payload has: a file a run replaced shows even with the same bytes.
const long long earlierTime = 1200000000;

// An earlier installation by setup.exe in the default folder, and its state.
std::vector<std::string> installEarlier()
{
    installWithDefaults();
    stampFiles(defaultFolder, earlierTime);
    return installationState(defaultFolder);
}

// A copy of setup.exe with one bit flipped in the last chunk of its last file, as a damaged
// download would be.
std::string damagedSetup()
{
    std::string image = readFile(buildFile("setup.exe"));
    std::string chunks = readFile(buildFile("payloads/productPayload/productPayload.bin"));
    size_t at = chunks.size() >= 64 ? image.find(chunks.substr(chunks.size() - 64)) : std::string::npos;
    EXPECT_NE(at, std::string::npos) << "the last chunk is not in setup.exe";
    if (at != std::string::npos)
        image[at + 32] ^= 0x10;
    std::string path = scratchFolder("damaged") + "\\setup.exe";
    EXPECT_TRUE(writeFile(path, image));
    return path;
}

// Runs the damaged copy: its message comes before any other window, and it ends.
void runDamaged(const std::string &path)
{
    ProcessRun run;
    ASSERT_TRUE(run.start(quoted(path)));
    ASSERT_NE(waitForWindow(failedTitle, 30000, run.processId()), (HWND)NULL);
    EXPECT_EQ(windowTitles(run.processId()), std::vector<std::string>({failedTitle}));
    walk(run.processId(), {{failedTitle, IDOK, damagedText}});
    EXPECT_EQ(run.wait(), 0);
}

// Runs the test build that stops itself after its given rename, as a kill there would.
void runStoppedAfterRename(int renames)
{
    SetEnvironmentVariableA("VELMORANT_STOP_AFTER_RENAME", std::to_string(renames).c_str());
    ProcessRun run;
    startAndAccept(run, "tests/endToEnd/setupStopAfterRename.exe");
    SetEnvironmentVariableA("VELMORANT_STOP_AFTER_RENAME", NULL);
    chooseFolderInDialog(run.processId(), NULL, NULL);
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}});
    EXPECT_EQ(run.wait(), 3);
}

// No name of a run's own is left beside the files: no new copy, aside copy or journal.
void expectNoSideNames(const std::string &folder)
{
    for (const std::string &entry : installationState(folder))
        EXPECT_EQ(entry.find(".vminst-"), std::string::npos) << entry;
}

}  // namespace

TEST(Upgrade, DamagedSetupFileChangesNothing)
{
    std::string damaged = damagedSetup();
    runDamaged(damaged);
    EXPECT_FALSE(folderExists(defaultFolder));
    expectNothingRegistered();
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "<missing>");

    std::vector<std::string> earlier = installEarlier();
    runDamaged(damaged);
    EXPECT_EQ(installationState(defaultFolder), earlier);
}

// The earlier uninstaller is held open without sharing: the program and its manifest have
// already taken their final names when the uninstaller's replacement fails, and go back.
TEST(Upgrade, HeldUninstallerKeepsTheEarlierInstallation)
{
    std::vector<std::string> earlier = installEarlier();
    std::string uninstaller = std::string(defaultFolder) + "\\qxuninst.exe";
    HANDLE held = CreateFileA(uninstaller.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ProcessRun run;
    startAndAccept(run);
    chooseFolderInDialog(run.processId(), NULL, NULL);
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {failedTitle, IDOK, failedCreateText}});
    EXPECT_EQ(run.wait(), 0);
    CloseHandle(held);
    EXPECT_EQ(installationState(defaultFolder), earlier);
}

// Killed in the middle of writing a large file: the final names still hold the earlier
// installation, which works; the next run takes the cut files away and completes.
TEST(Upgrade, KilledRunLeavesTheEarlierInstallationWorking)
{
    std::vector<std::string> earlier = installEarlier();
    ProcessRun killed;
    startAndAccept(killed, "tests/endToEnd/setupLargePayload.exe");
    chooseFolderInDialog(killed.processId(), NULL, NULL);
    walk(killed.processId(), {{closeCopiesTitle, IDOK, NULL}});
    std::string cut = std::string(defaultFolder) + "\\large.bin.vminst-new";
    for (int waited = 0; !fileExists(cut) && waited < 60000; ++waited)
        Sleep(1);
    ASSERT_TRUE(fileExists(cut)) << "the run never wrote the large file";
    ASSERT_TRUE(TerminateProcess(killed.info.hProcess, 1));
    WaitForSingleObject(killed.info.hProcess, 10000);

    std::vector<std::string> after = installationState(defaultFolder);
    for (const std::string &entry : earlier)
        EXPECT_NE(std::find(after.begin(), after.end(), entry), after.end()) << entry;
    for (const std::string &entry : after) {
        bool earlierEntry = std::find(earlier.begin(), earlier.end(), entry) != earlier.end();
        EXPECT_TRUE(earlierEntry || entry.find(".vminst-new ") != std::string::npos) << entry;
    }
    // The earlier program starts and finds its data folder.
    ProcessRun program;
    ASSERT_TRUE(program.start(quoted(std::string(defaultFolder) + "\\velmorant.exe")));
    HWND window = waitForWindow("Velmorant - C:\\Program Files\\Velmorant", 30000);
    ASSERT_NE(window, (HWND)NULL);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait(20000), 0);

    installWithDefaults("tests/endToEnd/setupLargePayload.exe");
    expectInstalledIn(defaultFolder);
    EXPECT_TRUE(readFile(std::string(defaultFolder) + "\\large.bin") ==
                readFile(buildFile("tests/endToEnd/data/large.bin")));
    expectNoSideNames(defaultFolder);
}

// Two upgrades in a row, each while the program it replaces is running (the first one still
// runs through the second): both complete, each running copy is moved aside under a name of
// its own and marked for removal at the next restart.
TEST(Upgrade, UpgradesInARowReplaceProgramsThatStillRun)
{
    installEarlier();
    std::string program = std::string(defaultFolder) + "\\velmorant.exe";
    ProcessRun running[2];
    HWND windows[2];
    for (int upgrade = 0; upgrade < 2; ++upgrade) {
        SCOPED_TRACE(upgrade);
        ASSERT_TRUE(running[upgrade].start(::quoted(program)));
        windows[upgrade] = waitForWindow("Velmorant - C:\\Program Files\\Velmorant", 30000,
                                         running[upgrade].processId());
        ASSERT_NE(windows[upgrade], (HWND)NULL);
        installWithDefaults();
        expectInstalledIn(defaultFolder);
    }
    std::vector<std::string> pending = pendingRemovals();
    for (const char *aside : {".vminst-old", ".vminst-old1"}) {
        SCOPED_TRACE(aside);
        EXPECT_TRUE(fileExists(program + aside));
        EXPECT_NE(std::find(pending.begin(), pending.end(), program + aside), pending.end());
    }
    for (int upgrade = 0; upgrade < 2; ++upgrade) {
        PostMessageA(windows[upgrade], WM_CLOSE, 0, 0);
        EXPECT_EQ(running[upgrade].wait(20000), 0);
    }
}

// A run stopped after its first rename, and one stopped after its last, each as a kill there
// would stop it, leave their journal. The next run first puts every earlier file back: seen
// here because that run then stops before it replaces anything (the earlier program, made
// read-only in its moved-aside copy, cannot be replaced), leaving the earlier installation
// whole. A run after it completes. Then a stopped run's moved-aside program deleted by hand:
// the next run names it once as lost and installs, and the run after it says nothing of it.
TEST(Upgrade, RunKilledBetweenItsRenamesIsRolledBackByTheNextRun)
{
    std::vector<std::string> earlier = installEarlier();
    std::string folder = defaultFolder;
    for (int renames : {1, 6}) {
        SCOPED_TRACE(renames);
        runStoppedAfterRename(renames);
        ASSERT_TRUE(fileExists(folder + "\\velmorant.vminst-journal"));
        ASSERT_TRUE(SetFileAttributesA((folder + "\\velmorant.exe.vminst-old").c_str(),
                                       FILE_ATTRIBUTE_READONLY));
        ProcessRun next;
        startAndAccept(next);
        chooseFolderInDialog(next.processId(), NULL, NULL);
        walk(next.processId(),
             {{closeCopiesTitle, IDOK, NULL}, {failedTitle, IDOK, failedCreateText}});
        EXPECT_EQ(next.wait(), 0);
        EXPECT_EQ(installationState(folder), earlier);
        ASSERT_TRUE(SetFileAttributesA((folder + "\\velmorant.exe").c_str(), FILE_ATTRIBUTE_NORMAL));
    }
    installWithDefaults();
    expectInstalledIn(folder);
    expectNoSideNames(folder);

    runStoppedAfterRename(6);
    ASSERT_TRUE(DeleteFileA((folder + "\\velmorant.exe.vminst-old").c_str()));
    ProcessRun next;
    startAndAccept(next);
    chooseFolderInDialog(next.processId(), NULL, NULL);
    std::string lost = earlierLostText(folder + "\\velmorant.exe");
    walk(next.processId(), {{closeCopiesTitle, IDOK, NULL},
                            {"Earlier Files Lost", IDOK, lost.c_str()},
                            {doneTitle, IDNO, NULL}});
    EXPECT_EQ(next.wait(), 0);
    installWithDefaults();
    expectInstalledIn(folder);
    expectNoSideNames(folder);
}

// The next run cannot put the earlier uninstaller back while another program holds the new
// one without sharing: its message names the file, and the run after it puts it back and
// completes.
TEST(Upgrade, FileThatCannotBePutBackIsNamedAndTriedAgain)
{
    installEarlier();
    std::string folder = defaultFolder;
    runStoppedAfterRename(6);
    std::string uninstaller = folder + "\\qxuninst.exe";
    HANDLE held = CreateFileA(uninstaller.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ProcessRun next;
    startAndAccept(next);
    chooseFolderInDialog(next.processId(), NULL, NULL);
    std::string named = notRestoredText(uninstaller);
    walk(next.processId(), {{closeCopiesTitle, IDOK, NULL}, {failedTitle, IDOK, named.c_str()}});
    EXPECT_EQ(next.wait(), 0);
    CloseHandle(held);
    EXPECT_EQ(modificationTime(folder + "\\velmorant.exe"), earlierTime);  // put back
    EXPECT_TRUE(fileExists(folder + "\\velmorant.vminst-journal"));
    installWithDefaults();
    expectInstalledIn(folder);
    expectNoSideNames(folder);
}

// A second run started while the first waits at its question says so and ends; the first
// then completes.
TEST(Upgrade, SecondRunAtOnceChangesNothing)
{
    ProcessRun first;
    startAndAccept(first);
    chooseFolderInDialog(first.processId(), NULL, NULL);
    ASSERT_NE(waitForWindow(closeCopiesTitle, 30000, first.processId()), (HWND)NULL);
    std::vector<std::string> before = installationState(defaultFolder);
    ProcessRun second;
    ASSERT_TRUE(second.start(quoted(buildFile("setup.exe"))));
    walk(second.processId(), {{"Setup Already Running", IDOK, alreadyRunningText}});
    EXPECT_EQ(second.wait(), 0);
    EXPECT_EQ(installationState(defaultFolder), before);
    walk(first.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
    EXPECT_EQ(first.wait(), 0);
    expectInstalledIn(defaultFolder);
}
