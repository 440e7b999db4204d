// A named mutex, per product, per session: two runs at once would write the same files, and
// one's failure would take back what the other installed.
#include "setupRunLock.h"

#include <windows.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"

int holdSetupRunLock(const char *productName)
{
    char name[TEXT_BUFFER_SIZE];
    if (!formatText(name, sizeof name, "%s setup run", productName))
        return 1;
    // Never closed: the lock lasts as long as the process.
    HANDLE lock = CreateMutexA(NULL, FALSE, name);
    return lock == NULL || GetLastError() != ERROR_ALREADY_EXISTS;
}
