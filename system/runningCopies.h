// Asks running copies of the product to close.
#ifndef VELMORANT_RUNNING_COPIES_H
#define VELMORANT_RUNNING_COPIES_H

#include <windows.h>

#include "core/pauseRoutine.h"

// Whose windows are asked to close: the product's, and the 9x service's own window.
struct CopyNames {
    const char *productName;
    const char *serviceName;
};

// Tells the user, then asks every window of a running copy to close and waits for them.
void closeRunningCopies(HWND owner, const CopyNames &names, const PauseRoutine &pause);
// EnumWindows' routine; value carries the CopyNames.
BOOL CALLBACK closeCopyWindow(HWND window, LPARAM value);

#endif
