#include "guardedRemoval.h"

#include <windows.h>

#include <string.h>

#include "core/boundedText.h"

namespace {

// Deeper names are refused rather than held in part.
const int heldLimit = 64;

// The system's own deletion of an open file, from ntdll (every NT version has it).
struct StatusBlock {
    union {
        LONG status;
        PVOID pointer;
    };
    ULONG_PTR information;
};
typedef LONG(WINAPI *SetInformationCall)(HANDLE file, StatusBlock *block, PVOID information,
                                         ULONG length, int informationClass);
typedef ULONG(WINAPI *StatusToErrorCall)(LONG status);
const int fileDispositionInformation = 13;
const LONG statusDirectoryNotEmpty = (LONG)0xC0000101;

struct DispositionCalls {
    SetInformationCall setInformation;
    StatusToErrorCall statusToError;
};

const DispositionCalls &dispositionCalls(void)
{
    static DispositionCalls calls;
    static int read;
    if (!read) {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        FARPROC set = ntdll != NULL ? GetProcAddress(ntdll, "NtSetInformationFile") : NULL;
        FARPROC convert = ntdll != NULL ? GetProcAddress(ntdll, "RtlNtStatusToDosError") : NULL;
        if (set != NULL && convert != NULL) {
            memcpy(&calls.setInformation, &set, sizeof set);
            memcpy(&calls.statusToError, &convert, sizeof convert);
        }
        read = 1;
    }
    return calls;
}

void setOutcome(RemovalOutcome *outcome, int result, uint32_t error)
{
    outcome->result = result;
    outcome->error = error;
}

int failed(RemovalOutcome *outcome, DWORD error)
{
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        setOutcome(outcome, REMOVAL_ABSENT, 0);
        return REMOVAL_ABSENT;
    }
    setOutcome(outcome, REMOVAL_FAILED, error);
    return REMOVAL_FAILED;
}

// The judgement of an open entry. Its handle's attributes, and those its path gives: some
// file systems tell a link only by the path (Wine's, for a folder that is a Unix link).
int judgeOpened(HANDLE entry, const char *path, int folderExpected, RemovalOutcome *outcome)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(entry, &information))
        return failed(outcome, GetLastError());
    uint32_t attributes = information.dwFileAttributes;
    DWORD byPath = GetFileAttributesA(path);
    if (byPath != INVALID_FILE_ATTRIBUTES)
        attributes |= byPath;
    int verdict = judgeRemoval(attributes, folderExpected);
    if (verdict == REMOVAL_LINK)
        copyText(outcome->link, sizeof outcome->link, path);
    if (verdict != REMOVAL_GO)
        setOutcome(outcome, verdict, 0);
    return verdict;
}

// Opens the folder at path itself and keeps it from being renamed or deleted while held.
// REMOVAL_GO with *held set when it is a folder and no link.
int holdFolder(const char *path, HANDLE *held, RemovalOutcome *outcome)
{
    *held = CreateFileA(path, FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (*held == INVALID_HANDLE_VALUE)
        return failed(outcome, GetLastError());
    int verdict = judgeOpened(*held, path, 1, outcome);
    if (verdict != REMOVAL_GO) {
        CloseHandle(*held);
        *held = INVALID_HANDLE_VALUE;
    }
    return verdict;
}

// Judges the entry at path by what its name shows: 1 when it may go, else 0 with the outcome
// set (and a link named in it). What is no file to delete is left without being opened.
int mayGoByName(const char *path, int folderExpected, RemovalOutcome *outcome)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        failed(outcome, GetLastError());
        return 0;
    }
    int verdict = judgeRemoval(attributes, folderExpected);
    if (verdict == REMOVAL_GO)
        return 1;
    setOutcome(outcome, verdict, 0);
    if (verdict == REMOVAL_LINK)
        copyText(outcome->link, sizeof outcome->link, path);
    return 0;
}

// Deletes the entry at path through a handle to the entry itself, judged first.
void deleteEntry(const char *path, int folderExpected, RemovalOutcome *outcome)
{
    if (!mayGoByName(path, folderExpected, outcome))
        return;
    HANDLE entry = CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (entry == INVALID_HANDLE_VALUE) {
        failed(outcome, GetLastError());
        return;
    }
    if (judgeOpened(entry, path, folderExpected, outcome) != REMOVAL_GO) {
        CloseHandle(entry);
        return;
    }
    const DispositionCalls &calls = dispositionCalls();
    if (calls.setInformation == NULL) {
        // Not seen on any NT version; the folders on the way are still held and the entry was
        // judged a moment ago, and deletion by name removes a link, never its target.
        CloseHandle(entry);
        BOOL deleted = folderExpected ? RemoveDirectoryA(path) : DeleteFileA(path);
        DWORD error = deleted ? 0 : GetLastError();
        if (folderExpected && error == ERROR_DIR_NOT_EMPTY)
            setOutcome(outcome, REMOVAL_LEFT, 0);
        else
            setOutcome(outcome, deleted ? REMOVAL_DONE : REMOVAL_FAILED, error);
        return;
    }
    StatusBlock block;
    memset(&block, 0, sizeof block);
    BOOLEAN deleteOnClose = TRUE;
    LONG status = calls.setInformation(entry, &block, &deleteOnClose, sizeof deleteOnClose,
                                       fileDispositionInformation);
    CloseHandle(entry);  // the entry goes with its last handle
    if (status >= 0)
        setOutcome(outcome, REMOVAL_DONE, 0);
    else if (folderExpected && status == statusDirectoryNotEmpty)
        setOutcome(outcome, REMOVAL_LEFT, 0);
    else
        setOutcome(outcome, REMOVAL_FAILED, calls.statusToError(status));
}

// One attempt: holds folder and each folder between it and path, then deletes path.
void removeHeld(const char *folder, const char *path, int folderExpected, const LeadBytes &lead,
                RemovalOutcome *outcome)
{
    size_t folderLength = trimmedPathLength(folder, lead);
    size_t pathLength = trimmedPathLength(path, lead);
    char prefix[sizeof outcome->link];
    if (pathLength >= sizeof prefix || folderLength > pathLength ||
        strncmp(folder, path, folderLength) != 0 ||
        (folderLength < pathLength && !isPathSeparator(path[folderLength]))) {
        setOutcome(outcome, REMOVAL_FAILED, ERROR_INVALID_NAME);
        return;
    }
    HANDLE held[heldLimit];
    int heldCount = 0;
    if (folderLength < pathLength) {
        // The folder as given: a root keeps its separator ("C:" is that drive's current folder).
        if (holdFolder(folder, &held[0], outcome) != REMOVAL_GO)
            return;
        heldCount = 1;
        // Every further separator of path ends a folder on the way.
        for (size_t i = folderLength + 1; i < pathLength; i += characterLength(path + i, lead)) {
            if (!isPathSeparator(path[i]))
                continue;
            if (heldCount == heldLimit) {
                setOutcome(outcome, REMOVAL_FAILED, ERROR_FILENAME_EXCED_RANGE);
                break;
            }
            memcpy(prefix, path, i);
            prefix[i] = '\0';
            if (holdFolder(prefix, &held[heldCount], outcome) != REMOVAL_GO)
                break;
            heldCount++;
        }
    }
    if (outcome->result == REMOVAL_GO) {
        memcpy(prefix, path, pathLength);
        prefix[pathLength] = '\0';
        deleteEntry(prefix, folderExpected, outcome);
    }
    while (heldCount > 0)
        CloseHandle(held[--heldCount]);
}

// The 9x family: by name, as the platform offers it.
void removePlain(const char *path, int folderExpected, RemovalOutcome *outcome)
{
    if (!mayGoByName(path, folderExpected, outcome))
        return;
    if (folderExpected ? RemoveDirectoryA(path) : DeleteFileA(path))
        setOutcome(outcome, REMOVAL_DONE, 0);
    else if (folderExpected)
        setOutcome(outcome, REMOVAL_LEFT, 0);  // not empty
    else
        failed(outcome, GetLastError());
}

}  // namespace

void removeInFolder(const char *folder, const char *path, int folderExpected,
                    const RemovalGuard &guard, const LeadBytes &lead, RemovalOutcome *outcome)
{
    for (int attempt = 0;; ++attempt) {
        outcome->link[0] = '\0';
        setOutcome(outcome, REMOVAL_GO, 0);
        if (guard.linksPossible)
            removeHeld(folder, path, folderExpected, lead, outcome);
        else
            removePlain(path, folderExpected, outcome);
        if (outcome->result != REMOVAL_FAILED || attempt + 1 >= guard.attempts)
            return;
        Sleep((DWORD)guard.waitMilliseconds);
    }
}
