// Upgrades over an earlier installation that fail, are killed or are started twice at once,
// and a damaged setup file: the earlier installation stays as it was and working, checked
// from outside in whole runs.
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
    for (const std::string &entry : installationState(defaultFolder))
        EXPECT_EQ(entry.find(".vminst-"), std::string::npos) << entry;
}

// The earlier program is running: it is moved aside and replaced, and its copy, which cannot
// be deleted while it runs, is marked for removal at the next restart.
TEST(Upgrade, RunningProgramIsReplacedAndItsCopyGoesAtRestart)
{
    installEarlier();
    std::string program = std::string(defaultFolder) + "\\velmorant.exe";
    ProcessRun running;
    ASSERT_TRUE(running.start(::quoted(program)));
    HWND window = waitForWindow("Velmorant - C:\\Program Files\\Velmorant", 30000);
    ASSERT_NE(window, (HWND)NULL);
    installWithDefaults();
    expectInstalledIn(defaultFolder);
    std::vector<std::string> pending = pendingRemovals();
    EXPECT_TRUE(fileExists(program + ".vminst-old"));
    EXPECT_NE(std::find(pending.begin(), pending.end(), program + ".vminst-old"), pending.end());
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(running.wait(20000), 0);
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
