#include "signedInUser.h"

#include <windows.h>

#include <shlobj.h>
#include <string.h>

#include "advapiCalls.h"
#include "platformInfo.h"

namespace {

typedef HWND(WINAPI *ShellWindowCall)(void);
typedef HRESULT(WINAPI *FolderPathCall)(HWND owner, int folder, HANDLE token, DWORD flags,
                                        LPSTR path);

// Room for a TOKEN_USER with any SID, aligned for it.
union TokenUserBuffer {
    TOKEN_USER user;
    DWORD words[64];
};

template <typename Call> void lookUp(const char *library, const char *name, Call *call)
{
    HMODULE module = GetModuleHandleA(library);
    FARPROC found = module != NULL ? GetProcAddress(module, name) : NULL;
    memcpy(call, &found, sizeof *call);
}

PSID tokenUser(const AdvapiCalls &calls, HANDLE token, TokenUserBuffer *buffer)
{
    DWORD used = 0;
    if (token == NULL || !calls.getTokenInformation(token, TokenUser, buffer, sizeof *buffer, &used))
        return NULL;
    return buffer->user.User.Sid;
}

// The token of the desktop shell's process (the window that GetShellWindow names, or on NT 4.0
// the Program Manager's), opened to read and to stand for its user; NULL when there is none.
HANDLE desktopToken(const AdvapiCalls &calls)
{
    ShellWindowCall shellWindow;
    lookUp("user32.dll", "GetShellWindow", &shellWindow);
    HWND window = shellWindow != NULL ? shellWindow() : FindWindowA("Progman", NULL);
    DWORD processId = 0;
    if (window == NULL || GetWindowThreadProcessId(window, &processId) == 0 || processId == 0)
        return NULL;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == NULL)  // Vista and later grant this much more often
        process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == NULL)
        return NULL;
    HANDLE token = NULL;
    if (!calls.openProcessToken(process, TOKEN_QUERY | TOKEN_IMPERSONATE, &token) &&
        !calls.openProcessToken(process, TOKEN_QUERY, &token))
        token = NULL;
    CloseHandle(process);
    return token;
}

// The desktop user's own folder, asked for with that user's token; "" when the shell cannot say.
void folderOfUser(HANDLE token, int folder, char *path)
{
    FolderPathCall folderPath;
    lookUp("shell32.dll", "SHGetFolderPathA", &folderPath);
    if (folderPath == NULL || folderPath(NULL, folder, token, SHGFP_TYPE_CURRENT, path) != S_OK)
        path[0] = '\0';
}

}  // namespace

void readSignedInUser(SignedInUser *user)
{
    memset(user, 0, sizeof *user);
    user->desktopUser = DESKTOP_SAME;
    if (!isNtPlatform())
        return;
    const AdvapiCalls &calls = advapiCalls();
    HANDLE own = NULL;
    if (calls.openProcessToken == NULL || calls.getTokenInformation == NULL ||
        calls.equalSid == NULL || !calls.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) {
        // Nothing known: as much as an elevated administrator next to someone else.
        user->elevated = 1;
        user->desktopUser = DESKTOP_UNKNOWN;
        return;
    }
    // Before Vista the class is unknown to the call, which fails: nothing is elevated there.
    TOKEN_ELEVATION elevation = {0};
    DWORD used = 0;
    if (calls.getTokenInformation(own, TokenElevation, &elevation, sizeof elevation, &used))
        user->elevated = elevation.TokenIsElevated != 0;
    HANDLE desktop = desktopToken(calls);
    TokenUserBuffer ownBuffer, desktopBuffer;
    PSID ownSid = tokenUser(calls, own, &ownBuffer);
    PSID desktopSid = tokenUser(calls, desktop, &desktopBuffer);
    if (ownSid == NULL || desktopSid == NULL) {
        user->desktopUser = DESKTOP_UNKNOWN;
    } else if (!calls.equalSid(ownSid, desktopSid)) {
        user->desktopUser = DESKTOP_OTHER;
        folderOfUser(desktop, CSIDL_PROGRAMS, user->programsFolder);
        folderOfUser(desktop, CSIDL_STARTUP, user->startupFolder);
    }
    if (desktop != NULL)
        CloseHandle(desktop);
    CloseHandle(own);
}
