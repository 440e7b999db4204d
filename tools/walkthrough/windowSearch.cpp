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
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        FindRequest request = {title, processId, NULL};
        EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&request));
        if (request.found != NULL)
            return request.found;
        Sleep(20);
    }
    return NULL;
}
