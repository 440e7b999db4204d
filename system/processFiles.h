// Which program file a running process was started from, by whatever the system offers:
// PSAPI on the NT family (NT 4 with psapi.dll, 2000 on), Toolhelp on the 9x family (and on
// an NT without PSAPI). Both are looked up at run time: neither exists everywhere.
#ifndef VELMORANT_PROCESS_FILES_H
#define VELMORANT_PROCESS_FILES_H

#include <windows.h>

struct ProcessFiles {
    HMODULE psapi;            // loaded here, freed by closeProcessFiles
    FARPROC moduleFileName;   // PSAPI's GetModuleFileNameExA
    FARPROC snapshot;         // CreateToolhelp32Snapshot
    FARPROC firstProcess;     // Process32First
    FARPROC nextProcess;      // Process32Next
    FARPROC firstModule;      // Module32First
};

// 0 when the system offers no way to tell (then nothing is to be closed).
int openProcessFiles(ProcessFiles *files);
void closeProcessFiles(ProcessFiles *files);
// 1 when path (size bytes) names the full path of the program the process runs; 0 when that
// cannot be read, as for another user's process the caller may not open.
int processFilePath(const ProcessFiles &files, DWORD processId, char *path, DWORD size);

#endif
