// Self-removal in two processes: the uninstaller hands over to a copy of itself, which waits
// for the original to exit and deletes its file. The copy cannot delete itself either: the
// original marks it, and the folder made for it, for removal at the next restart.
//
// The copy runs elevated from the temporary folder, which others may write into (for a
// deployment tool running as SYSTEM, C:\Windows\Temp): it gets a new folder of its own under a
// name drawn for this run, which only this user and the system may use; it is written from the
// original's own file, held since the start, never read again from the data folder by name; it
// is held open against changes from the copying until it runs, and starts only when that folder
// holds nothing else. Its deletions in the data folder never follow a link.
#include "uninstallSelf.h"

#include <windows.h>

#include <string.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "platform/guardedRemoval.h"
#include "platform/platformInfo.h"
#include "platform/privateFolder.h"
#include "platform/restartRemoval.h"
#include "system/setupRunLock.h"
#include "uninstallSteps.h"
#include "core/uninstallTexts.h"

namespace {

// How long the original waits for the copy to take hold of it.
const DWORD handOverMilliseconds = 15000;
// The original's file may stay locked a moment after its process has ended.
const int deleteAttempts = 40;
const int deleteRetryMilliseconds = 250;

// The program's own file, held from the start of the run.
HANDLE ownFile = INVALID_HANDLE_VALUE;
char copyBuffer[32768];

// Leaves a file for the next restart, with its folder when that may go once empty.
void leaveForRestart(const char *file, const char *folder)
{
    scheduleRemovalAtRestart(file);
    if (isRemovableFolder(folder, ansiLeadBytes()))
        scheduleRemovalAtRestart(folder);
}

// Makes a new folder in the temporary folder under a drawn name: one that did not exist, so
// nothing was put in it before. 1 with its path and name.
int makeOwnFolder(char *folder, size_t size, char *name, size_t nameSize)
{
    char temporaryFolder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temporaryFolder, temporaryFolder);
    if (length == 0 || length >= sizeof temporaryFolder)
        return 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        uint32_t high, low, error;
        drawHelperNumber(&high, &low);
        if (!buildHelperFolderName(name, nameSize, high, low) ||
            !buildInstalledFilePath(folder, size, temporaryFolder, name, ansiLeadBytes()))
            return 0;
        if (createPrivateFolder(folder, isNtPlatform(), &error))
            return 1;
        if (error != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
}

// Writes the held file into a new file at copy; 1 when it was written whole.
int copyOwnFile(const char *copy)
{
    if (ownFile == INVALID_HANDLE_VALUE) {
        // The 9x family has no second user who could have put another file at its name. A
        // read-only original gives a read-only copy.
        return !isNtPlatform() && CopyFileA(uninstallerSelfPath, copy, TRUE) &&
               SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);
    }
    if (SetFilePointer(ownFile, 0, NULL, FILE_BEGIN) != 0)
        return 0;
    HANDLE written =
        CreateFileA(copy, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (written == INVALID_HANDLE_VALUE)
        return 0;
    int whole = 1;
    for (;;) {
        DWORD read = 0;
        DWORD wrote = 0;
        if (!ReadFile(ownFile, copyBuffer, sizeof copyBuffer, &read, NULL)) {
            whole = 0;
            break;
        }
        if (read == 0)
            break;
        if (!WriteFile(written, copyBuffer, read, &wrote, NULL) || wrote != read) {
            whole = 0;
            break;
        }
    }
    if (!CloseHandle(written))
        whole = 0;
    if (!whole)
        DeleteFileA(copy);  // in the folder made for it a moment ago
    return whole;
}

// 1 when folder holds the file name and nothing else.
int holdsOnly(const char *folder, const char *name)
{
    int holdsName;
    return folderEntriesBesides(folder, name, &holdsName) == 0 && holdsName;
}

// The copy's side of the event's name: its own folder's drawn name.
int ownHandOverEventName(char *name, size_t size)
{
    char self[TEXT_BUFFER_SIZE];
    char folder[TEXT_BUFFER_SIZE];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
    return length > 0 && length < sizeof self && folderOfPath(folder, sizeof folder, self, ansiLeadBytes()) &&
           buildHandOverEventName(name, size, fileNameOfPath(folder, ansiLeadBytes()));
}

}  // namespace

int holdOwnFile(const char *path)
{
    ownFile = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    return ownFile != INVALID_HANDLE_VALUE;
}

int isFinishRequest(const char *arguments)
{
    return strncmp(arguments, "/finish ", 8) == 0;
}

int handOverSelfRemoval(char *copyPath, size_t size)
{
    char folder[TEXT_BUFFER_SIZE];
    char name[32];
    char copy[TEXT_BUFFER_SIZE];
    char arguments[TEXT_BUFFER_SIZE];
    char commandLine[2 * TEXT_BUFFER_SIZE];
    char eventName[64];
    int made = makeOwnFolder(folder, sizeof folder, name, sizeof name);
    int copied = made && buildInstalledFilePath(copy, sizeof copy, folder, UNINSTALLER_FILE_NAME, ansiLeadBytes()) &&
                 copyOwnFile(copy);
    HANDLE held = INVALID_HANDLE_VALUE;
    // Open until the copy runs: nobody can change, rename or delete it in between.
    if (copied)
        held = CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    HANDLE handedOver = NULL;
    if (held != INVALID_HANDLE_VALUE && holdsOnly(folder, UNINSTALLER_FILE_NAME) &&
        buildFinishArguments(arguments, sizeof arguments, GetCurrentProcessId(),
                             uninstallerSelfPath) &&
        formatText(commandLine, sizeof commandLine, "\"%s\" %s", copy, arguments) &&
        buildHandOverEventName(eventName, sizeof eventName, name)) {
        handedOver = CreateEventA(NULL, TRUE, FALSE, eventName);
        // An event of that name made by someone else could say "taken over" at any time.
        if (handedOver != NULL && GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(handedOver);
            handedOver = NULL;
        }
    }
    if (handedOver != NULL) {
        // The copy cannot delete itself: asked for now, so the message can say whether it will go.
        if (!scheduleRemovalAtRestart(copy) || !scheduleRemovalAtRestart(folder))
            reportFailureReason(copy, "it could not be marked for removal at the next restart");
    }

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    memset(&started, 0, sizeof started);
    // Started in its own folder, which holds nothing else, and not in the data folder.
    BOOL running = handedOver != NULL &&
                   CreateProcessA(copy, commandLine, NULL, NULL, FALSE, 0, NULL, folder,
                                  &startup, &started);
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    int tookOver = 0;
    if (running) {
        HANDLE waitFor[2] = {handedOver, started.hProcess};
        tookOver = WaitForMultipleObjects(2, waitFor, FALSE, handOverMilliseconds) == WAIT_OBJECT_0;
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    if (handedOver != NULL)
        CloseHandle(handedOver);
    if (!tookOver) {
        if (!running) {
            // Any marks for the restart stay; a missing file or folder is skipped then.
            if (copied)
                DeleteFileA(copy);
            if (made)
                RemoveDirectoryA(folder);
        }
        leaveForRestart(uninstallerSelfPath, uninstallFolder);
        copyText(copyPath, size, uninstallerSelfPath);
        return 0;
    }
    return copyText(copyPath, size, copy);
}

int finishSelfRemoval(const char *arguments, const char *productName)
{
    uint32_t processId = 0;
    char uninstaller[TEXT_BUFFER_SIZE];
    char folder[TEXT_BUFFER_SIZE];
    char eventName[64];
    const LeadBytes &lead = ansiLeadBytes();
    if (!parseFinishArguments(arguments, &processId, uninstaller, sizeof uninstaller, lead) ||
        !installationFolderOfPath(folder, sizeof folder, uninstaller, lead) ||
        !ownHandOverEventName(eventName, sizeof eventName))
        return 1;

    // Hold the original before it is told to go on, so its id cannot be taken by another
    // process in between.
    HANDLE original = OpenProcess(SYNCHRONIZE, FALSE, processId);
    HANDLE handedOver = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (handedOver != NULL) {
        SetEvent(handedOver);
        CloseHandle(handedOver);
    }
    if (original != NULL) {
        WaitForSingleObject(original, INFINITE);
        CloseHandle(original);
    }
    // The original's lock ended with it. A setup run that took it since may be putting a new
    // uninstaller at this name: that one is not ours to delete.
    if (!holdSetupRunLock(productName, isNtPlatform()))
        return 1;

    // Each attempt holds and judges the data folder anew: it may have been replaced by a link
    // since the original looked.
    RemovalGuard guard = {isNtPlatform(), deleteAttempts, deleteRetryMilliseconds};
    RemovalOutcome outcome;
    removeInFolder(folder, uninstaller, 0, guard, lead, &outcome);
    if (outcome.result == REMOVAL_DONE || outcome.result == REMOVAL_ABSENT) {
        RemovalGuard once = {guard.linksPossible, 1, 0};
        if (isRemovableFolder(folder, lead))
            removeInFolder(folder, folder, 1, once, lead, &outcome);  // only when empty
        return 0;
    }
    // A folder or file that now leads elsewhere is no longer the installation's: nothing there is
    // deleted now or marked for the restart.
    if (outcome.result == REMOVAL_LINK || outcome.result == REMOVAL_LEFT)
        return 1;
    leaveForRestart(uninstaller, folder);
    char reason[TEXT_BUFFER_SIZE];
    char text[2 * TEXT_BUFFER_SIZE];
    if (!buildFailureReason(reason, sizeof reason, outcome.error, outcome.result == REMOVAL_READ_ONLY))
        copyText(reason, sizeof reason, "unknown error");
    if (!buildLeftForRestartText(text, sizeof text, uninstaller, reason))
        copyText(text, sizeof text, "The uninstaller could not be removed. It will be removed "
                                    "when Windows restarts.");
    MessageBoxA(NULL, text, UNINSTALL_LEFT_TITLE, MB_OK | MB_ICONWARNING);
    return 1;
}
