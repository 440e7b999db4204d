// Velmorant: the product's program. Its window shows the data folder it runs from (the folder
// the setup program recorded in velmorant.ini) and the folder it was started in.
#include <windows.h>

#include <string.h>

#include "core/installerSettings.h"
#include "platform/dllSearch.h"

namespace {

const char windowClassName[] = "VelmorantMain";
const char iniFileName[] = "velmorant.ini";
char dataFolder[TEXT_BUFFER_SIZE];
char startFolder[TEXT_BUFFER_SIZE];

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        SetBkMode(dc, TRANSPARENT);
        TextOutA(dc, 16, 16, "Data folder:", 12);
        TextOutA(dc, 16, 36, dataFolder, (int)strlen(dataFolder));
        TextOutA(dc, 16, 68, "Started in:", 11);
        TextOutA(dc, 16, 88, startFolder, (int)strlen(startFolder));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    // Before the first window, which loads DLLs by their bare names: the data folder, where
    // anyone who could write there may have put one, must not answer for them.
    restrictDllSearch();
    GetPrivateProfileStringA(INI_SECTION, INI_DATA_DIR_KEY, "(not recorded)", dataFolder,
                             sizeof dataFolder, iniFileName);
    if (GetCurrentDirectoryA(sizeof startFolder, startFolder) == 0 ||
        GetCurrentDirectoryA(sizeof startFolder, startFolder) >= sizeof startFolder)
        strcpy(startFolder, "(unknown)");

    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = windowClassName;
    if (!RegisterClassA(&windowClass))
        return 1;

    // Running copies are recognised by titles that begin with the product's name.
    char title[1100] = "Velmorant - ";
    strncat(title, dataFolder, sizeof title - strlen(title) - 1);
    HWND window = CreateWindowExA(0, windowClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 480, 180, NULL, NULL, instance, NULL);
    if (window == NULL)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
