#include "uninstallerLeftovers.h"

#include <windows.h>

#include <string.h>

#include "core/installerSettings.h"
#include "core/uninstallTexts.h"
#include "platform/guardedRemoval.h"
#include "platform/platformInfo.h"

void removeUninstallerLeftovers(const char *temporaryFolder)
{
    const LeadBytes &lead = ansiLeadBytes();
    char pattern[TEXT_BUFFER_SIZE];
    if (!buildInstalledFilePath(pattern, sizeof pattern, temporaryFolder, "qxu*", lead))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    // Once: the copy's file is either free now or held until the restart.
    RemovalGuard guard = {isNtPlatform(), 1, 0};
    RemovalOutcome outcome;
    do {
        char folder[TEXT_BUFFER_SIZE];
        char copy[TEXT_BUFFER_SIZE];
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                FILE_ATTRIBUTE_DIRECTORY ||
            !isHelperFolderName(found.cFileName) ||
            !buildInstalledFilePath(folder, sizeof folder, temporaryFolder, found.cFileName,
                                    lead) ||
            !buildInstalledFilePath(copy, sizeof copy, folder, UNINSTALLER_FILE_NAME, lead))
            continue;
        removeInFolder(folder, copy, 0, guard, lead, &outcome);
        if (outcome.result == REMOVAL_DONE || outcome.result == REMOVAL_ABSENT)
            removeInFolder(folder, folder, 1, guard, lead, &outcome);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void removeEarlierUninstallerHelpers(void)
{
    char temporaryFolder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temporaryFolder, temporaryFolder);
    if (length > 0 && length < sizeof temporaryFolder)
        removeUninstallerLeftovers(temporaryFolder);
}
