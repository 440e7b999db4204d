#include "processFiles.h"

#include <tlhelp32.h>
#include <string.h>

#include "core/boundedText.h"
#include "core/uninstallTexts.h"
#include "platform/platformInfo.h"

namespace {

typedef DWORD(WINAPI *ModuleFileNameCall)(HANDLE process, HMODULE module, LPSTR path, DWORD size);
typedef HANDLE(WINAPI *SnapshotCall)(DWORD flags, DWORD processId);
typedef BOOL(WINAPI *ProcessEntryCall)(HANDLE snapshot, PROCESSENTRY32 *entry);
typedef BOOL(WINAPI *ModuleEntryCall)(HANDLE snapshot, MODULEENTRY32 *entry);

template <typename Call> Call callOf(FARPROC found)
{
    Call call;
    memcpy(&call, &found, sizeof call);  // a function pointer of the real type
    return call;
}

// Toolhelp: the 9x family names the full path in the process list; the NT family names only
// the file there, and the full path as the process's first module.
int toolhelpFilePath(const ProcessFiles &files, DWORD processId, char *path, DWORD size)
{
    SnapshotCall snapshot = callOf<SnapshotCall>(files.snapshot);
    HANDLE processes = snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 process;
    memset(&process, 0, sizeof process);
    process.dwSize = sizeof process;
    int found = 0;
    for (BOOL more = callOf<ProcessEntryCall>(files.firstProcess)(processes, &process); more;
         more = callOf<ProcessEntryCall>(files.nextProcess)(processes, &process)) {
        if (process.th32ProcessID == processId) {
            found = 1;
            break;
        }
    }
    CloseHandle(processes);
    if (!found)
        return 0;
    if (fileNameOfPath(process.szExeFile, ansiLeadBytes()) != process.szExeFile)
        return copyText(path, size, process.szExeFile);
    if (files.firstModule == NULL)
        return 0;
    HANDLE modules = snapshot(TH32CS_SNAPMODULE, processId);
    if (modules == INVALID_HANDLE_VALUE)
        return 0;
    MODULEENTRY32 module;
    memset(&module, 0, sizeof module);
    module.dwSize = sizeof module;
    int named = callOf<ModuleEntryCall>(files.firstModule)(modules, &module) &&
                copyText(path, size, module.szExePath);
    CloseHandle(modules);
    return named;
}

}  // namespace

int openProcessFiles(ProcessFiles *files)
{
    memset(files, 0, sizeof *files);
    if (isNtPlatform()) {
        // From the system folder by its full path: NT 4 has no way to keep a bare name from
        // being looked up beside the program first.
        char library[MAX_PATH];
        UINT length = GetSystemDirectoryA(library, sizeof library);
        if (length > 0 && length < sizeof library && appendText(library, sizeof library, "\\psapi.dll"))
            files->psapi = LoadLibraryA(library);
        if (files->psapi != NULL)
            files->moduleFileName = GetProcAddress(files->psapi, "GetModuleFileNameExA");
    }
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel != NULL) {
        files->snapshot = GetProcAddress(kernel, "CreateToolhelp32Snapshot");
        files->firstProcess = GetProcAddress(kernel, "Process32First");
        files->nextProcess = GetProcAddress(kernel, "Process32Next");
        files->firstModule = GetProcAddress(kernel, "Module32First");
    }
    if (files->snapshot == NULL || files->firstProcess == NULL || files->nextProcess == NULL)
        files->snapshot = NULL;
    return files->moduleFileName != NULL || files->snapshot != NULL;
}

void closeProcessFiles(ProcessFiles *files)
{
    if (files->psapi != NULL)
        FreeLibrary(files->psapi);
    memset(files, 0, sizeof *files);
}

int processFilePath(const ProcessFiles &files, DWORD processId, char *path, DWORD size)
{
    if (files.moduleFileName == NULL)
        return toolhelpFilePath(files, processId, path, size);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == NULL)
        return 0;
    DWORD length = callOf<ModuleFileNameCall>(files.moduleFileName)(process, NULL, path, size);
    CloseHandle(process);
    return length > 0 && length < size;
}
