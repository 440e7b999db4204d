// Finding another program's window by its title: shared by the run command's walkthrough and
// the tests' window driver.
#ifndef VELMORANT_WINDOW_SEARCH_H
#define VELMORANT_WINDOW_SEARCH_H

#include <windows.h>

// The visible top-level window with exactly this title (of process processId when non-zero),
// waited for up to timeoutMs or until that process ends. NULL when it did not appear.
HWND waitForWindow(const char *title, int timeoutMs = 20000, DWORD processId = 0);

#endif
