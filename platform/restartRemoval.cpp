#include "restartRemoval.h"

#include <windows.h>

#include "core/uninstallTexts.h"

namespace {

// The [rename] section of WININIT.INI, read and written whole.
char renameSection[8192];

}  // namespace

int scheduleRemovalAtRestart(const char *path)
{
    if (MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        return 1;
    // The 9x family has no such call: it deletes what WININIT.INI names, by short names.
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return 0;
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath)
        return 0;
    DWORD used = GetPrivateProfileSectionA("rename", renameSection, sizeof renameSection,
                                           "wininit.ini");
    if (used >= sizeof renameSection - 2)  // not read whole: writing it back would lose lines
        return 0;
    return appendRenameEntry(renameSection, sizeof renameSection, shortPath) &&
           WritePrivateProfileSectionA("rename", renameSection, "wininit.ini");
}
