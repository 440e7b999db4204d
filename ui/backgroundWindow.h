// The full-screen background window that owns every dialog and message box of the run.
#ifndef VELMORANT_BACKGROUND_WINDOW_H
#define VELMORANT_BACKGROUND_WINDOW_H

#include <windows.h>

// What the window paints: the title rows in the title font. Owned by the caller, it must
// outlive the window.
struct BackgroundPicture {
    HFONT font;
    const char *title;
};

// Times New Roman bold 48, or the stock ANSI_VAR_FONT when it cannot be made.
HFONT createTitleFont(void);
// Registers the window class "install"; 0 when that fails.
ATOM registerBackgroundClass(HINSTANCE instance);
// Creates the visible window covering the desktop, titled caption, painting picture.
HWND createBackgroundWindow(HINSTANCE instance, const char *caption,
                            const BackgroundPicture *picture);
LRESULT CALLBACK backgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
