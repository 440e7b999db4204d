// Opens one top-level window per title and records the close and quit requests they get:
//   titledWindows.exe [--hang] <log file> <title>...
// Once every window exists the log gets "ready"; then one line per request,
//   <GetTickCount64> CLOSE|QUIT <title>
// The windows stay open whatever they receive; the test ends the program. With --hang the
// thread stops handling messages once the windows exist, as a copy that hangs would.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

const char *logPath;

void record(const char *what, HWND window)
{
    char title[1024] = "";
    GetWindowTextA(window, title, sizeof title);
    FILE *log = fopen(logPath, "ab");
    if (log == NULL)
        return;
    fprintf(log, "%llu %s %s\n", (unsigned long long)GetTickCount64(), what, title);
    fclose(log);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        record("CLOSE", window);
        return 0;  // stays open, so a later request would be seen too
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char **argv)
{
    bool hang = argc > 1 && strcmp(argv[1], "--hang") == 0;
    if (hang) {
        argc--;
        argv++;
    }
    if (argc < 3)
        return 2;
    logPath = argv[1];
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "titledWindowsTest";
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    if (!RegisterClassA(&windowClass))
        return 1;
    for (int i = 2; i < argc; i++)
        if (CreateWindowExA(0, "titledWindowsTest", argv[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            20 * i, 20 * i, 300, 100, NULL, NULL, windowClass.hInstance,
                            NULL) == NULL)
            return 1;
    FILE *log = fopen(logPath, "ab");
    if (log == NULL)
        return 1;
    fputs("ready\n", log);
    fclose(log);
    if (hang)
        Sleep(INFINITE);

    // WM_QUIT ends no loop here: it is recorded with the window it was posted to.
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                record("QUIT", message.hwnd);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        WaitMessage();
    }
}
