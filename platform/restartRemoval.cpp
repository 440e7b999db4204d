#include "restartRemoval.h"

#include <windows.h>

#include "core/uninstallTexts.h"
#include "platformInfo.h"

namespace {

// The [rename] section of WININIT.INI, read and written whole.
char renameSection[8192];

// The 9x family deletes at its next start what WININIT.INI's [rename] section names as
// "NUL=<short path>": its boot-time step knows no long names.
int listInWininit(const char *path)
{
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

}  // namespace

int scheduleRemovalAtRestart(const char *path)
{
    int listed = MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ? 1 : 0;
    // The 9x family's MoveFileExA refuses a delayed move. Whenever the system reports that
    // family the file is listed for its boot step too, even when the call above took it: a
    // newer system that only reports a 9x version (a compatibility setting) keeps the entry in
    // its own list, and the line in WININIT.INI is then never read.
    if (!isNtPlatform())
        listed = listInWininit(path) || listed;
    return listed;
}
