// Self-removal in two processes: the uninstaller hands over to a copy of itself, which waits
// for the original to exit and deletes its file. The copy cannot delete itself either: the
// original marks it, and the folder made for it, for removal at the next restart.
//
// The copy runs elevated from the temporary folder, which others may write into (for a
// deployment tool running as SYSTEM, C:\Windows\Temp): it gets a new folder of its own under a
// name drawn for this run, is held open against changes from the copying until it runs, and
// starts only when that folder holds nothing else.
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

// Leaves a file for the next restart, with its folder when that may go once empty.
void leaveForRestart(const char *file, const char *folder)
{
    scheduleRemovalAtRestart(file);
    if (isRemovableFolder(folder, ansiLeadBytes()))
        scheduleRemovalAtRestart(folder);
}

// 64 bits no one can guess in advance: the system's generator where it has one (XP on), else
// the clocks and ids of this moment, mixed.
void drawNumber(DWORD *high, DWORD *low)
{
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    FARPROC found = advapi != NULL ? GetProcAddress(advapi, "SystemFunction036") : NULL;
    if (found != NULL) {
        typedef BOOLEAN(WINAPI * GenerateCall)(PVOID buffer, ULONG length);
        GenerateCall generate;
        memcpy(&generate, &found, sizeof generate);
        DWORD drawn[2];
        if (generate(drawn, sizeof drawn)) {
            *high = drawn[0];
            *low = drawn[1];
            return;
        }
    }
    LARGE_INTEGER counter;
    counter.QuadPart = 0;
    QueryPerformanceCounter(&counter);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t mixed = (uint64_t)counter.QuadPart ^ ((uint64_t)now.dwHighDateTime << 32) ^
                     now.dwLowDateTime ^ ((uint64_t)GetCurrentProcessId() << 40) ^
                     ((uint64_t)GetCurrentThreadId() << 20) ^ GetTickCount();
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ull;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBull;
    mixed ^= mixed >> 31;
    *high = (DWORD)(mixed >> 32);
    *low = (DWORD)mixed;
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
        DWORD high, low;
        drawNumber(&high, &low);
        if (!formatText(name, nameSize, "qxu%u-%u", (unsigned)high, (unsigned)low) ||
            !buildInstalledFilePath(folder, size, temporaryFolder, name, ansiLeadBytes()))
            return 0;
        if (CreateDirectoryA(folder, NULL))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
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
                 CopyFileA(uninstallerSelfPath, copy, TRUE);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (copied) {
        SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);  // a read-only original gives a read-only copy
        // Open until the copy runs: nobody can change, rename or delete it in between.
        held = CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    }
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

int finishSelfRemoval(const char *arguments)
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

    DWORD error = 0;
    if (deleteFileWithRetries(uninstaller, deleteAttempts, deleteRetryMilliseconds, &error)) {
        if (isRemovableFolder(folder, ansiLeadBytes()))
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
