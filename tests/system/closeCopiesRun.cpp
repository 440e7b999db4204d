#include "closeCopiesRun.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <thread>

#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"
#include "system/runningCopies.h"
#include "ui/pauseAnimation.h"

namespace {

// Waits without drawing, as with no background window.
PauseRoutine plainPause()
{
    static PauseAnimation noWindow = {NULL, NULL, 0};
    return animatedPause(&noWindow);
}

void answerNotice(HWND owner, CloseCopiesOutcome &outcome)
{
    HWND box = waitForWindow("Closing Running Copies", 20000, GetCurrentProcessId());
    if (box == NULL)
        return;
    outcome.noticeSeen = true;
    outcome.noticeText = messageBoxText(box);
    outcome.noticeOwnedByOwner = GetWindow(box, GW_OWNER) == owner;
    outcome.noticeHasOnlyOk = GetDlgItem(box, IDOK) != NULL && GetDlgItem(box, IDCANCEL) == NULL &&
                              GetDlgItem(box, IDYES) == NULL && GetDlgItem(box, IDNO) == NULL;
    outcome.answeredAt = GetTickCount64();
    pressButton(box, IDOK);
}

// Starts titledWindows with the titles and waits until its windows exist.
bool openWindows(ProcessRun &windows, const char *options, const std::string &log,
                 const std::vector<std::string> &titles)
{
    std::string command = "\"" + buildFile("tests/system/titledWindows.exe") + "\" " + options +
                          "\"" + log + "\"";
    for (const std::string &title : titles)
        command += " \"" + title + "\"";
    if (!windows.start(command)) {
        ADD_FAILURE() << "cannot start " << command;
        return false;
    }
    for (int waited = 0; readFile(log).find("ready\n") == std::string::npos; waited += 50) {
        if (waited > 30000 || !windows.running()) {
            ADD_FAILURE() << "the titled windows did not come up";
            return false;
        }
        Sleep(50);
    }
    return true;
}

}  // namespace

CloseCopiesOutcome closeCopiesAmong(const CopyNames &names, const std::vector<std::string> &titles,
                                    const std::vector<std::string> &hungTitles)
{
    CloseCopiesOutcome outcome;
    std::string folder = scratchFolder("copies");
    std::string log = folder + "\\requests.log";
    ProcessRun windows, hung;
    if (!openWindows(windows, "", log, titles))
        return outcome;
    if (!hungTitles.empty() && !openWindows(hung, "--hang ", folder + "\\hung.log", hungTitles))
        return outcome;

    HWND owner = CreateWindowExA(0, "STATIC", "Owner of the notice", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                 100, NULL, NULL, GetModuleHandleA(NULL), NULL);
    std::thread answerer(answerNotice, owner, std::ref(outcome));
    outcome.calledAt = GetTickCount64();
    closeRunningCopies(owner, names, plainPause());
    outcome.returnedAt = GetTickCount64();
    answerer.join();
    DestroyWindow(owner);

    std::istringstream lines(readFile(log));
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "ready")
            continue;
        std::istringstream fields(line);
        unsigned long long tick = 0;
        std::string what;
        fields >> tick >> what;
        std::string title = line.substr(line.find(what) + what.size());
        if (!title.empty() && title[0] == ' ')
            title.erase(0, 1);
        outcome.requests[title].push_back(what);
        if (outcome.firstRequestAt == 0)
            outcome.firstRequestAt = tick;
        outcome.lastRequestAt = tick;
    }
    return outcome;
}

void expectNoticeAndPauses(const CloseCopiesOutcome &outcome, const char *noticeText)
{
    ASSERT_TRUE(outcome.noticeSeen) << "no box titled \"Closing Running Copies\"";
    EXPECT_EQ(outcome.noticeText, noticeText);
    EXPECT_TRUE(outcome.noticeOwnedByOwner);
    EXPECT_TRUE(outcome.noticeHasOnlyOk);
    EXPECT_GE(outcome.returnedAt - outcome.calledAt, 10000u);
    EXPECT_GE(outcome.returnedAt - outcome.answeredAt, 10000u);
    if (outcome.firstRequestAt != 0) {
        // Two seconds after the notice, then eight for the copies to exit.
        EXPECT_GE(outcome.firstRequestAt, outcome.answeredAt + 2000);
        EXPECT_GE(outcome.returnedAt, outcome.lastRequestAt + 7500);
    }
}
