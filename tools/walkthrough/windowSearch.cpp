#include "windowSearch.h"

#include <string.h>

namespace {

struct FindRequest {
    const char *title;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM value)
{
    FindRequest *request = reinterpret_cast<FindRequest *>(value);
    if (request->processId != 0) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != request->processId)
            return TRUE;
    }
    if (!IsWindowVisible(window))
        return TRUE;
    char title[1024];
    GetWindowTextA(window, title, sizeof title);
    if (strcmp(title, request->title) == 0) {
        request->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND waitForWindow(const char *title, int timeoutMs, DWORD processId)
{
    // A process that has ended shows no more windows: stop waiting for it then.
    HANDLE process = processId != 0 ? OpenProcess(SYNCHRONIZE, FALSE, processId) : NULL;
    HWND found = NULL;
    for (int waited = 0; found == NULL && waited <= timeoutMs; waited += 20) {
        bool ended = processId != 0 &&
                     (process == NULL || WaitForSingleObject(process, 0) == WAIT_OBJECT_0);
        FindRequest request = {title, processId, NULL};
        EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&request));
        found = request.found;
        if (ended)
            break;
        if (found == NULL)
            Sleep(20);
    }
    if (process != NULL)
        CloseHandle(process);
    return found;
}
