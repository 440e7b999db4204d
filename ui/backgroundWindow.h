// The full-screen background window that owns every dialog and message box of the run.
#ifndef VELMORANT_BACKGROUND_WINDOW_H
#define VELMORANT_BACKGROUND_WINDOW_H

#include <windows.h>

#include "core/installerSettings.h"

extern HWND backgroundWindow;
extern HFONT titleFont;
// "Install <productName>", formatted once at start-up and painted in rows.
extern char paintedTitle[TEXT_BUFFER_SIZE];

// Times New Roman bold 48, or the stock ANSI_VAR_FONT when it cannot be made.
HFONT createTitleFont(void);
// Registers the window class "install"; 0 when that fails.
ATOM registerBackgroundClass(HINSTANCE instance);
// Creates the visible window covering the desktop, titled caption.
HWND createBackgroundWindow(HINSTANCE instance, const char *caption);
LRESULT CALLBACK backgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
