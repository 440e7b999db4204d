// Asks running copies of the product to close: the setup program by the windows' titles, the
// uninstaller by the programs the windows' processes run.
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

// The uninstaller's copies: the windows of processes that run the installation's own program
// or service program (full paths; "" for none). A window of any other program is left, whatever
// its title; the service's window is told to quit, every other one to close. Only where the
// system cannot tell which program a process runs do the titles decide, as above.
struct InstalledCopies {
    CopyNames names;
    const char *programPath;
    const char *servicePath;
};
void closeInstalledCopies(HWND owner, const InstalledCopies &copies, const PauseRoutine &pause);

#endif
