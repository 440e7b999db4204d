// Starting the programs under test as separate processes and collecting their exit codes.
#ifndef VELMORANT_TEST_PROCESS_RUN_H
#define VELMORANT_TEST_PROCESS_RUN_H

#include <windows.h>

#include <string>

struct ProcessRun {
    PROCESS_INFORMATION info = {};
    bool started = false;
    DWORD startError = 0; // GetLastError of a start that failed

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
