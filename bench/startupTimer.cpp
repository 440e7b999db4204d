// startupTimer PROGRAM TITLE [ARGUMENT]: milliseconds from starting PROGRAM until a visible
// top-level window of it titled TITLE ("*": any title) exists; the program is then ended.
// Prints the time, or -1 when no such window appeared within 30 s.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

struct Search {
    DWORD process;
    const char *title;
    bool found;
};

BOOL CALLBACK match(HWND window, LPARAM value)
{
    Search *search = reinterpret_cast<Search *>(value);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (owner == search->process && IsWindowVisible(window) &&
        (strcmp(search->title, "*") == 0 || strcmp(title, search->title) == 0)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: startupTimer PROGRAM TITLE [ARGUMENT]\n");
        return 2;
    }
    char command[1024];
    snprintf(command, sizeof command, "\"%s\"%s%s", argv[1], argc > 3 ? " " : "",
             argc > 3 ? argv[3] : "");
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info))
        return 1;
    double elapsed = -1;
    for (;;) {
        Search search = {info.dwProcessId, argv[2], false};
        EnumWindows(match, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        double ms = (double)(now.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart;
        if (search.found) {
            elapsed = ms;
            break;
        }
        if (ms > 30000)
            break;
        Sleep(1);
    }
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    printf("%.1f\n", elapsed);
    return elapsed < 0 ? 1 : 0;
}
