// A stand-in for the product's programs in test builds of the setup program: it appends how it
// was started to C:\velmorant-tests\calls.log and exits with RECORDER_EXIT_CODE (default 0).
//   one line per start: <own file name>|<command line, line feed shown as \n>|<current folder>
// and which program started it to C:\velmorant-tests\parents.log:
//   one line per start: <own file name>|<file name of the program that started it>
#include <windows.h>

#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(NULL, self, sizeof self);
    const char *name = strrchr(self, '\\') != NULL ? strrchr(self, '\\') + 1 : self;
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);

    CreateDirectoryA("C:\\velmorant-tests", NULL);
    FILE *log = fopen("C:\\velmorant-tests\\calls.log", "ab");
    if (log != NULL) {
        fprintf(log, "%s|", name);
        for (const char *c = GetCommandLineA(); *c != '\0'; ++c) {
            if (*c == '\n')
                fputs("\\n", log);
            else
                fputc(*c, log);
        }
        fprintf(log, "|%s\n", folder);
        fclose(log);
    }
    // The parent: the setup program itself, or the desktop's shell that it asked.
    char parent[MAX_PATH] = "(unknown)";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    DWORD parentId = 0;
    for (int pass = 0; pass < 2 && snapshot != INVALID_HANDLE_VALUE; ++pass) {
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            if (pass == 0 && entry.th32ProcessID == GetCurrentProcessId())
                parentId = entry.th32ParentProcessID;
            if (pass == 1 && parentId != 0 && entry.th32ProcessID == parentId)
                snprintf(parent, sizeof parent, "%s", entry.szExeFile);
        }
    }
    if (snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(snapshot);
    FILE *parents = fopen("C:\\velmorant-tests\\parents.log", "ab");
    if (parents != NULL) {
        fprintf(parents, "%s|%s\n", name, parent);
        fclose(parents);
    }
    const char *code = getenv("RECORDER_EXIT_CODE");
    return code != NULL ? atoi(code) : 0;
}
