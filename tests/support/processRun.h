// Starting the programs under test as separate processes and collecting their exit codes.
#ifndef VELMORANT_TEST_PROCESS_RUN_H
#define VELMORANT_TEST_PROCESS_RUN_H

#include <windows.h>

#include <string>

// A run still going when the test fails an assertion is ended at once, with its windows: the
// test then meets no wait for a window or an exit that would only end at its bound.
struct ProcessRun {
    PROCESS_INFORMATION info = {};
    bool started = false;
    DWORD startError = 0; // GetLastError of a start that failed

    ProcessRun();
    ProcessRun(const ProcessRun &) = delete;
    ProcessRun &operator=(const ProcessRun &) = delete;

    // Starts commandLine in folder (NULL: the current one). False when it could not start.
    bool start(const std::string &commandLine, const char *folder = NULL);
    // A run that did not start gets an id no process has (they are multiples of 4): waiting
    // for its windows then ends at once instead of taking the windows of any process.
    DWORD processId() const { return started ? info.dwProcessId : 0xFFFFFFFFu; }
    // Waits for the exit: the exit code, or -1 on timeout (the process is then killed).
    long wait(int timeoutMs = 60000);
    bool running() const;
    ~ProcessRun();
};

#endif
