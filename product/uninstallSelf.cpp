// Self-removal in two processes: the uninstaller hands over to a copy of itself in the
// temporary folder, which waits for the original to exit and deletes its file. The copy
// cannot delete itself either, so it asks for its own removal at the next restart.
#include "uninstallSelf.h"

#include <windows.h>

#include <string.h>

#include "../setup/boundedText.h"
#include "../setup/installerSettings.h"
#include "uninstallSteps.h"
#include "uninstallTexts.h"

namespace {

// How long the original waits for the copy to take hold of it.
const DWORD handOverMilliseconds = 15000;
// The original's file may stay locked a moment after its process has ended.
const int deleteAttempts = 40;
const int deleteRetryMilliseconds = 250;

// Nothing could take over: the uninstaller and the then-empty folder go at the next restart.
void leaveForRestart(const char *uninstaller, const char *folder)
{
    MoveFileExA(uninstaller, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
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
    int ready = length > 0 && length < sizeof temporaryFolder &&
                GetTempFileNameA(temporaryFolder, "qxu", 0, copy) != 0 &&
                buildFinishArguments(arguments, sizeof arguments, processId,
                                     uninstallerSelfPath) &&
                formatText(commandLine, sizeof commandLine, "\"%s\" %s", copy, arguments) &&
                buildHandOverEventName(eventName, sizeof eventName, processId);
    if (ready && !CopyFileA(uninstallerSelfPath, copy, FALSE)) {
        DeleteFileA(copy);
        ready = 0;
    }
    if (!ready) {
        leaveForRestart(uninstallerSelfPath, uninstallFolder);
        copyText(copyPath, size, uninstallerSelfPath);
        return 0;
    }
    SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);  // a read-only original gives a read-only copy

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
            DeleteFileA(copy);
        else
            MoveFileExA(copy, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        leaveForRestart(uninstallerSelfPath, uninstallFolder);
        copyText(copyPath, size, uninstallerSelfPath);
        return 0;
    }
    return copyText(copyPath, size, copy);
}

int finishSelfRemoval(const char *arguments)
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
    if (length > 0 && length < sizeof self)
        MoveFileExA(self, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);

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
    int removed = 0;
    for (int attempt = 0; attempt < deleteAttempts && !removed; ++attempt) {
        removed = DeleteFileA(uninstaller) || GetFileAttributesA(uninstaller) == INVALID_FILE_ATTRIBUTES;
        if (!removed) {
            error = GetLastError();
            Sleep(deleteRetryMilliseconds);
        }
    }
    if (removed) {
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
