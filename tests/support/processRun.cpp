#include "support/processRun.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// Every run of this process's tests that exists; a failure may be reported on any thread.
std::mutex runsLock;
std::vector<ProcessRun *> runs;

void end(const PROCESS_INFORMATION &info)
{
    TerminateProcess(info.hProcess, 255);
    WaitForSingleObject(info.hProcess, 5000);
}

class EndRunsOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult &result) override
    {
        if (!result.failed())
            return;
        std::lock_guard<std::mutex> hold(runsLock);
        for (ProcessRun *run : runs)
            if (run->running()) {
                fprintf(stderr, "ending process %lu after the failure above\n",
                        (unsigned long)run->info.dwProcessId);
                end(run->info);
            }
    }
};

struct Registration {
    Registration()
    {
        ::testing::UnitTest::GetInstance()->listeners().Append(new EndRunsOnFailure);
    }
} registration;

}  // namespace

ProcessRun::ProcessRun()
{
    std::lock_guard<std::mutex> hold(runsLock);
    runs.push_back(this);
}

bool ProcessRun::start(const std::string &commandLine, const char *folder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // Wine has refused a start once on a loaded machine with nothing wrong in the program: a
    // second attempt, with the first error named, fails only a start that keeps failing.
    for (int attempt = 0; attempt < 2 && !started; ++attempt) {
        if (attempt > 0) {
            fprintf(stderr, "starting %s failed with error %lu; trying once more\n",
                    commandLine.c_str(), (unsigned long)startError);
            Sleep(1000);
        }
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        started = CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, folder, &startup,
                                 &info) != 0;
        startError = started ? 0 : GetLastError();
    }
    return started;
}

long ProcessRun::wait(int timeoutMs)
{
    if (!started)
        return -1;
    if (WaitForSingleObject(info.hProcess, (DWORD)timeoutMs) != WAIT_OBJECT_0) {
        end(info);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return (long)code;
}

bool ProcessRun::running() const
{
    return started && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

ProcessRun::~ProcessRun()
{
    {
        std::lock_guard<std::mutex> hold(runsLock);
        runs.erase(std::find(runs.begin(), runs.end(), this));
    }
    if (!started)
        return;
    if (running())
        end(info);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}
