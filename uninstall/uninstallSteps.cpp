// The uninstaller's removals. Only names that the setup program made are ever deleted: the
// payload's stored names in the data folder and the names it gives their copies while it
// replaces them, the shortcuts' names, the product's registry key.
// Others may be able to change the data folder while this elevated program works in it: every
// deletion there goes through the entry itself, never through a link.
#include "uninstallSteps.h"

#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include "core/boundedText.h"
#include "core/replaceJournal.h"
#include "core/setupDecisions.h"
#include "core/shortcutPaths.h"
#include "core/uninstallTexts.h"
#include "platform/guardedRemoval.h"
#include "platform/platformInfo.h"

char failureReport[REPORT_SIZE];
int32_t failureCount;
int32_t droppedFailures;
char uninstallerSelfPath[TEXT_BUFFER_SIZE];
char uninstallFolder[TEXT_BUFFER_SIZE];

namespace {

// A program that was just asked to close may still hold its file for a moment.
const int deleteAttempts = 5;
const int deleteRetryMilliseconds = 400;

// Deletes a file that the setup program made; a file already gone counts as removed.
void removeFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return;  // a folder of that name was not made by the setup program: left alone
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        // Read-only is the owner's choice: reported, not overridden.
        reportFailure(path, ERROR_ACCESS_DENIED, 1);
        return;
    }
    DWORD error = 0;
    if (deleteFileWithRetries(path, deleteAttempts, deleteRetryMilliseconds, &error))
        SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, path, NULL);
    else
        reportFailure(path, error, 0);
}

// Removes a folder only when it is empty; anything in it is left, and that is no failure.
void removeFolderIfEmpty(const char *path)
{
    if (RemoveDirectoryA(path))
        SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, path, NULL);
}

// A folder that leads elsewhere, once however many names lie below it.
void reportLink(const char *path)
{
    char line[TEXT_BUFFER_SIZE + 8];
    if (formatText(line, sizeof line, "\r\n%s (", path) && strstr(failureReport, line) != NULL)
        return;
    reportFailureReason(path, UNINSTALL_LINK_REASON);
}

// Removes a file, or an emptied folder, in folder and reports what stays: a folder that cannot
// go yet is no failure. 0 when folder itself now leads elsewhere.
int removeEntryIn(const char *folder, const char *path, int folderExpected)
{
    RemovalGuard guard = {isNtPlatform(), folderExpected ? 1 : deleteAttempts,
                          deleteRetryMilliseconds};
    RemovalOutcome outcome;
    removeInFolder(folder, path, folderExpected, guard, ansiLeadBytes(), &outcome);
    switch (outcome.result) {
    case REMOVAL_DONE:
        SHChangeNotify(folderExpected ? SHCNE_RMDIR : SHCNE_DELETE, SHCNF_PATHA, path, NULL);
        break;
    case REMOVAL_READ_ONLY:
        reportFailure(path, ERROR_ACCESS_DENIED, 1);
        break;
    case REMOVAL_FAILED:
        if (!folderExpected)
            reportFailure(path, outcome.error, 0);
        break;
    case REMOVAL_LINK:
        reportLink(outcome.link);
        return !sameFolder(outcome.link, folder, ansiLeadBytes());
    }
    return 1;
}

// The same in the data folder.
int removeInstalledEntry(const char *path, int folderExpected)
{
    return removeEntryIn(uninstallFolder, path, folderExpected);
}

// What a setup run left beside an installed file: the new copy of a run stopped before it
// was placed, and earlier copies moved aside, which a run stopped while replacing files had
// yet to put back or a running program still held. 0 as removeInstalledEntry.
int removeReplaceLeftovers(const char *path)
{
    char side[TEXT_BUFFER_SIZE];
    for (int32_t aside = -1; aside < ASIDE_NAME_COUNT; ++aside) {
        int named = aside < 0 ? formatText(side, sizeof side, "%s%s", path, NEW_COPY_SUFFIX)
                              : buildAsideName(side, sizeof side, path, aside);
        if (named && GetFileAttributesA(side) != INVALID_FILE_ATTRIBUTES &&
            !removeInstalledEntry(side, 0))
            return 0;
    }
    return 1;
}

int readText(HKEY root, const char *keyPath, const char *value, char *text, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    DWORD length = size - 1;
    LONG result = RegQueryValueExA(key, value, NULL, &type, reinterpret_cast<BYTE *>(text),
                                   &length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return 0;
    text[length < size ? length : size - 1] = '\0';
    return 1;
}

// The Programs or Startup folder of another account that the uninstall entry records: a full
// path that fits the shell's buffers, or 0.
int recordedShortcutFolder(const char *productName, const char *value, char *folder)
{
    char keyPath[TEXT_BUFFER_SIZE];
    return buildUninstallKeyPath(keyPath, sizeof keyPath, productName) &&
           readText(HKEY_LOCAL_MACHINE, keyPath, value, folder, SHELL_PATH_SIZE) &&
           ((folder[0] != '\0' && folder[1] == ':' && folder[2] == '\\') ||
            (folder[0] == '\\' && folder[1] == '\\'));
}

// The product's own shortcut names in programs (its group) or startup, either NULL. In
// another account's folders (guarded) every deletion is the entry itself, never through a
// link, and nothing else there is touched.
void removeShortcutsIn(const char *programs, const char *startup, const InstallerSettings &settings,
                       int guarded)
{
    char link[SHELL_PATH_SIZE];
    char group[SHELL_PATH_SIZE];
    if (programs != NULL) {
        const char *groupName = settings.folderName;
        const char *names[] = {settings.productName, UNINSTALL_SHORTCUT_NAME};
        for (const char *name : names)
            if (buildLinkPath(link, sizeof link, programs, groupName, name)) {
                if (guarded)
                    removeEntryIn(programs, link, 0);
                else
                    removeFile(link);
            }
        if (buildGroupFolderPath(group, sizeof group, programs, groupName)) {
            if (guarded)
                removeEntryIn(programs, group, 1);
            else
                removeFolderIfEmpty(group);
        }
    }
    const char *name = settings.startupShortcutName[0] != '\0' ? settings.startupShortcutName
                                                                 : settings.productName;
    if (startup != NULL && settings.addStartupEntry &&
        buildLinkPath(link, sizeof link, startup, NULL, name)) {
        if (guarded)
            removeEntryIn(startup, link, 0);
        else
            removeFile(link);
    }
}

}  // namespace

void reportFailure(const char *item, uint32_t errorCode, int readOnly)
{
    char reason[TEXT_BUFFER_SIZE];
    if (!buildFailureReason(reason, sizeof reason, errorCode, readOnly))
        copyText(reason, sizeof reason, "unknown error");
    reportFailureReason(item, reason);
}

void reportFailureReason(const char *item, const char *reason)
{
    failureCount++;
    if (!appendReportLine(failureReport, sizeof failureReport, item, reason))
        droppedFailures++;
}

void removeShortcuts(const InstallerSettings &settings)
{
    char programs[SHELL_PATH_SIZE];
    char startup[SHELL_PATH_SIZE];
    removeShortcutsIn(specialFolderPath(CSIDL_PROGRAMS, programs) ? programs : NULL,
                      specialFolderPath(CSIDL_STARTUP, startup) ? startup : NULL, settings, 0);
    const char *product = settings.productName;
    removeShortcutsIn(recordedShortcutFolder(product, SHORTCUT_FOLDER_VALUE, programs) ? programs : NULL,
                      recordedShortcutFolder(product, STARTUP_FOLDER_VALUE, startup) ? startup : NULL,
                      settings, 1);
}

int installationFound(const InstallerSettings &settings)
{
    char recorded[TEXT_BUFFER_SIZE];
    GetPrivateProfileStringA(INI_SECTION, INI_DATA_DIR_KEY, "", recorded, sizeof recorded,
                             settings.iniFileName);
    const LeadBytes &lead = ansiLeadBytes();
    if (sameFolder(recorded, uninstallFolder, lead))
        return 1;
    char keyPath[TEXT_BUFFER_SIZE];
    char command[TEXT_BUFFER_SIZE];
    char program[TEXT_BUFFER_SIZE];
    char commandFolder[TEXT_BUFFER_SIZE];
    return buildUninstallKeyPath(keyPath, sizeof keyPath, settings.productName) &&
           readText(HKEY_LOCAL_MACHINE, keyPath, "UninstallString", command, sizeof command) &&
           commandProgramPath(program, sizeof program, command) &&
           folderOfPath(commandFolder, sizeof commandFolder, program, lead) &&
           sameFolder(commandFolder, uninstallFolder, lead);
}

int removeInstalledFiles(const PayloadNameList &names)
{
    const LeadBytes &lead = ansiLeadBytes();
    char path[TEXT_BUFFER_SIZE];
    // A stopped setup run's journal goes first: one left without the files it names would stop
    // every later run in this folder.
    if (buildInstalledFilePath(path, sizeof path, uninstallFolder, JOURNAL_FILE_NAME, lead) &&
        GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && !removeInstalledEntry(path, 0))
        return 0;
    for (int32_t i = 0; i < names.fileCount; ++i) {
        const char *name = names.fileNames[i];
        if (!isRemovableStoredName(name, lead) ||
            !buildInstalledFilePath(path, sizeof path, uninstallFolder, name, lead))
            continue;
        if (sameFolder(path, uninstallerSelfPath, lead))
            continue;  // removed by the helper once this process has ended
        if (!removeInstalledEntry(path, 0))
            return 0;
        if (!removeReplaceLeftovers(path))
            return 0;
    }
    // Folders that the names made, deepest first, while they are empty.
    for (int32_t i = 0; i < names.fileCount; ++i) {
        const char *name = names.fileNames[i];
        if (!isRemovableStoredName(name, lead) ||
            !buildInstalledFilePath(path, sizeof path, uninstallFolder, name, lead))
            continue;
        while (cutLastComponent(path, lead) && !sameFolder(path, uninstallFolder, lead)) {
            if (!removeInstalledEntry(path, 1))
                return 0;
        }
    }
    return 1;
}

void removeRegistration(const char *productName)
{
    char keyPath[TEXT_BUFFER_SIZE];
    if (!buildUninstallKeyPath(keyPath, sizeof keyPath, productName))
        return;
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return;
    char item[TEXT_BUFFER_SIZE];
    if (!formatText(item, sizeof item, "the registry key HKEY_LOCAL_MACHINE\\%s", keyPath))
        copyText(item, sizeof item, "the registry key of the installation");
    reportFailure(item, (uint32_t)result, 0);
}

int folderEntriesBesides(const char *folder, const char *name, int *holdsName)
{
    *holdsName = 0;
    char pattern[TEXT_BUFFER_SIZE];
    if (!buildInstalledFilePath(pattern, sizeof pattern, folder, "*", ansiLeadBytes()))
        return -1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int others = 0;
    do {
        const char *entry = found.cFileName;
        if (strcmp(entry, ".") == 0 || strcmp(entry, "..") == 0)
            continue;
        if (sameFolder(entry, name, ansiLeadBytes()))
            *holdsName = 1;
        else
            ++others;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return others;
}

int folderHoldsOtherFiles(void)
{
    int holdsSelf;
    return folderEntriesBesides(uninstallFolder, fileNameOfPath(uninstallerSelfPath, ansiLeadBytes()),
                                &holdsSelf) != 0;
}
