// Starting the programs under test as separate processes and collecting their exit codes.
#ifndef VELMORANT_TEST_PROCESS_RUN_H
#define VELMORANT_TEST_PROCESS_RUN_H

#include <windows.h>

#include <string>

struct ProcessRun {
    PROCESS_INFORMATION info = {};
    bool started = false;

    // Starts commandLine in folder (NULL: the current one). False when it could not start.
    bool start(const std::string &commandLine, const char *folder = NULL);
    DWORD processId() const { return info.dwProcessId; }
    // Waits for the exit: the exit code, or -1 on timeout (the process is then killed).
    long wait(int timeoutMs = 60000);
    bool running() const;
    ~ProcessRun();
};

#endif
