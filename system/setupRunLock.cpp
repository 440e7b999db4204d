// A named mutex, per product, for the whole machine: the setup program and the uninstaller
// take the same one, so that neither writes or removes the files while the other does, and
// one's failure does not take back what the other installed. In another session (a second
// user logged on, a remote session) it is the same lock.
#include "setupRunLock.h"

#include <windows.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"

namespace {

// 1 held, 0 held by another run, -1 the name was not accepted.
int takeLock(const char *name)
{
    // Never closed: the lock lasts as long as the process.
    HANDLE lock = CreateMutexA(NULL, FALSE, name);
    DWORD error = GetLastError();
    if (lock != NULL)
        return error == ERROR_ALREADY_EXISTS ? 0 : 1;
    // Made by another run of another account, which this one may not open: held all the same.
    if (error == ERROR_ACCESS_DENIED)
        return 0;
    // NT 4.0 without Terminal Services has no "Global" folder of names.
    return error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ? -1 : 1;
}

}  // namespace

int holdSetupRunLock(const char *productName, int nt)
{
    char name[TEXT_BUFFER_SIZE];
    if (nt && formatText(name, sizeof name, "Global\\%s setup or uninstall", productName)) {
        int held = takeLock(name);
        if (held >= 0)
            return held;
    }
    if (!formatText(name, sizeof name, "%s setup or uninstall", productName))
        return 1;
    return takeLock(name) != 0;
}
