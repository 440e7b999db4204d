// A named mutex, per product, for the whole machine: the setup program and the uninstaller
// take the same one, so that neither writes or removes the files while the other does, and
// one's failure does not take back what the other installed. In another session (a second
// user logged on, a remote session) it is the same lock.
#include "setupRunLock.h"

#include <string.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"

namespace {

// 1 held, 0 held by another run, -1 the name's namespace does not exist here.
int takeLock(const RunLockCalls &calls, const char *name)
{
    // Never closed: the lock lasts as long as the process.
    HANDLE lock = calls.createMutex(NULL, FALSE, name);
    DWORD error = calls.lastError();
    if (lock != NULL)
        return error == ERROR_ALREADY_EXISTS ? 0 : 1;
    // NT 4.0 without Terminal Services has no "Global" folder of names. Anything else (another
    // account's lock this one may not open, an event or other object under the name) is taken.
    return error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ? -1 : 0;
}

// The Administrators group, S-1-5-32-544.
const DWORD administratorsSid[] = {0x00000201, 0x05000000, 32, 544};

// Enters the private namespace whose boundary holds the Administrators group: only a token
// with that group enabled may make it, and it is never another account's. 1 entered, 0 the
// system has none (before Vista), -1 it can be neither made nor opened.
int enterPrivateNamespace(const RunLockCalls &calls, const WCHAR *prefix)
{
    if (calls.createBoundary == NULL || calls.addSidToBoundary == NULL ||
        calls.createNamespace == NULL || calls.openNamespace == NULL)
        return 0;
    HANDLE boundary = calls.createBoundary(prefix, 0);
    if (boundary == NULL)
        return 0;  // nothing but memory makes this fail where the calls are real
    PSID administrators = const_cast<DWORD *>(administratorsSid);
    if (!calls.addSidToBoundary(&boundary, administrators))
        return -1;
    // Made by this run, or opened when another run made it; tried again when that run ended
    // between the two.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (calls.createNamespace(NULL, boundary, prefix) != NULL)
            return 1;
        DWORD error = calls.lastError();
        if (error == ERROR_CALL_NOT_IMPLEMENTED)
            return 0;
        if (error != ERROR_ALREADY_EXISTS)
            return -1;
        if (calls.openNamespace(boundary, prefix) != NULL)
            return 1;
        if (calls.lastError() != ERROR_PATH_NOT_FOUND && calls.lastError() != ERROR_NOT_FOUND)
            return -1;
    }
    return -1;
}

template <typename Call> void lookUp(HMODULE library, const char *name, Call *call)
{
    FARPROC found = library != NULL ? GetProcAddress(library, name) : NULL;
    memcpy(call, &found, sizeof *call);
}

}  // namespace

int holdRunLockWith(const RunLockCalls &calls, const char *productName, int nt)
{
    char name[TEXT_BUFFER_SIZE];
    char prefix[TEXT_BUFFER_SIZE];
    WCHAR widePrefix[TEXT_BUFFER_SIZE];
    if (!formatText(prefix, sizeof prefix, "%s setup", productName) ||
        MultiByteToWideChar(CP_ACP, 0, prefix, -1, widePrefix, TEXT_BUFFER_SIZE) == 0)
        return 0;
    if (nt) {
        int entered = enterPrivateNamespace(calls, widePrefix);
        if (entered != 0)
            return entered > 0 &&
                   formatText(name, sizeof name, "%s\\%s setup or uninstall", prefix, productName) &&
                   takeLock(calls, name) == 1;
        if (formatText(name, sizeof name, "Global\\%s setup or uninstall", productName)) {
            int held = takeLock(calls, name);
            if (held >= 0)
                return held;
        }
    }
    return formatText(name, sizeof name, "%s setup or uninstall", productName) &&
           takeLock(calls, name) == 1;
}

int holdSetupRunLock(const char *productName, int nt)
{
    RunLockCalls calls = {CreateMutexA, GetLastError, NULL, NULL, NULL, NULL};
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    lookUp(kernel, "CreateBoundaryDescriptorW", &calls.createBoundary);
    lookUp(kernel, "AddSIDToBoundaryDescriptor", &calls.addSidToBoundary);
    lookUp(kernel, "CreatePrivateNamespaceW", &calls.createNamespace);
    lookUp(kernel, "OpenPrivateNamespaceW", &calls.openNamespace);
    return holdRunLockWith(calls, productName, nt);
}
