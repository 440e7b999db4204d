// Self-removal in two processes: the uninstaller hands over to a copy of itself in the
// temporary folder, which waits for the original to exit and deletes its file. The copy
// cannot delete itself either: the original marks it for removal at the next restart.
#include "uninstallSelf.h"

#include <windows.h>

#include <string.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "platform/platformInfo.h"
#include "platform/restartRemoval.h"
#include "uninstallSteps.h"
#include "core/uninstallTexts.h"

namespace {

// How long the original waits for the copy to take hold of it.
const DWORD handOverMilliseconds = 15000;
// The original's file may stay locked a moment after its process has ended.
const int deleteAttempts = 40;
const int deleteRetryMilliseconds = 250;

// Nothing could take over: the uninstaller and the then-empty folder go at the next restart.
void leaveForRestart(const char *uninstaller, const char *folder)
{
    scheduleRemovalAtRestart(uninstaller);
    scheduleRemovalAtRestart(folder);
}

}  // namespace

int isFinishRequest(const char *arguments)
{
    return strncmp(arguments, "/finish ", 8) == 0;
}

int handOverSelfRemoval(char *copyPath, size_t size)
{
    char temporaryFolder[MAX_PATH];
    char copy[MAX_PATH];
    char arguments[TEXT_BUFFER_SIZE];
    char commandLine[2 * TEXT_BUFFER_SIZE];
    char eventName[64];
    DWORD processId = GetCurrentProcessId();
    DWORD length = GetTempPathA(sizeof temporaryFolder, temporaryFolder);
    // GetTempFileNameA makes the file, which stays only as the copy.
    int made = length > 0 && length < sizeof temporaryFolder &&
               GetTempFileNameA(temporaryFolder, "qxu", 0, copy) != 0;
    int ready = made &&
                buildFinishArguments(arguments, sizeof arguments, processId,
                                     uninstallerSelfPath) &&
                formatText(commandLine, sizeof commandLine, "\"%s\" %s", copy, arguments) &&
                buildHandOverEventName(eventName, sizeof eventName, processId) &&
                CopyFileA(uninstallerSelfPath, copy, FALSE);
    if (!ready) {
        if (made)
            DeleteFileA(copy);
        leaveForRestart(uninstallerSelfPath, uninstallFolder);
        copyText(copyPath, size, uninstallerSelfPath);
        return 0;
    }
    SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);  // a read-only original gives a read-only copy
    // The copy cannot delete itself: asked for now, so the message can say whether it will go.
    if (!scheduleRemovalAtRestart(copy))
        reportFailureReason(copy, "it could not be marked for removal at the next restart");

    HANDLE handedOver = CreateEventA(NULL, TRUE, FALSE, eventName);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    memset(&started, 0, sizeof started);
    // Started outside the data folder, so that its current directory does not hold the folder.
    BOOL running = handedOver != NULL &&
                   CreateProcessA(copy, commandLine, NULL, NULL, FALSE, 0, NULL, temporaryFolder,
                                  &startup, &started);
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
        if (!running)
            DeleteFileA(copy);  // still marked for the restart, where a missing file is skipped
        leaveForRestart(uninstallerSelfPath, uninstallFolder);
        copyText(copyPath, size, uninstallerSelfPath);
        return 0;
    }
    return copyText(copyPath, size, copy);
}

int finishSelfRemoval(const char *arguments)
{
    uint32_t processId = 0;
    char uninstaller[TEXT_BUFFER_SIZE];
    char folder[TEXT_BUFFER_SIZE];
    char eventName[64];
    if (!parseFinishArguments(arguments, &processId, uninstaller, sizeof uninstaller) ||
        !folderOfPath(folder, sizeof folder, uninstaller) ||
        !buildHandOverEventName(eventName, sizeof eventName, processId))
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

    DWORD error = 0;
    if (deleteFileWithRetries(uninstaller, deleteAttempts, deleteRetryMilliseconds, &error)) {
        RemoveDirectoryA(folder);  // only when empty: the user's files keep it
        return 0;
    }
    leaveForRestart(uninstaller, folder);
    char reason[TEXT_BUFFER_SIZE];
    char text[2 * TEXT_BUFFER_SIZE];
    DWORD attributes = GetFileAttributesA(uninstaller);
    int readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (!buildFailureReason(reason, sizeof reason, error, readOnly))
        copyText(reason, sizeof reason, "unknown error");
    if (!buildLeftForRestartText(text, sizeof text, uninstaller, reason))
        copyText(text, sizeof text, "The uninstaller could not be removed. It will be removed "
                                    "when Windows restarts.");
    MessageBoxA(NULL, text, UNINSTALL_LEFT_TITLE, MB_OK | MB_ICONWARNING);
    return 1;
}
