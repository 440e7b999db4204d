// Asks running copies of the product to close.
#ifndef VELMORANT_RUNNING_COPIES_H
#define VELMORANT_RUNNING_COPIES_H

#include <windows.h>

void closeRunningCopies(HINSTANCE instance, HWND owner);
BOOL CALLBACK closeCopyWindow(HWND window, LPARAM value);

#endif
