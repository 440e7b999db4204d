#include "support/processRun.h"

#include <stdio.h>

#include <vector>

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
        TerminateProcess(info.hProcess, 255);
        WaitForSingleObject(info.hProcess, 5000);
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
    if (!started)
        return;
    if (running()) {
        TerminateProcess(info.hProcess, 255);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}
