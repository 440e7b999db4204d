// PLACEHOLDER until the background window is built: a plain window of class "install" with
// the stock font and no painting of its own. Replaced by the windows work.
#include "backgroundWindow.h"

#include "../resources/resourceIds.h"

HWND backgroundWindow;
HFONT titleFont;
char paintedTitle[TEXT_BUFFER_SIZE];

HFONT createTitleFont(void)
{
    return (HFONT)GetStockObject(ANSI_VAR_FONT);
}

LRESULT CALLBACK backgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

ATOM registerBackgroundClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = backgroundWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512));
    windowClass.lpszClassName = BACKGROUND_CLASS_NAME;
    return RegisterClassA(&windowClass);
}

HWND createBackgroundWindow(HINSTANCE instance, const char *caption)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    return CreateWindowExA(0, BACKGROUND_CLASS_NAME, caption, 0x10CF0000, 0, 0, desktop.right,
                           desktop.bottom, NULL, NULL, instance, NULL);
}
