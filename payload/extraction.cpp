// Writing the payload's files, one chunk at a time as the chunks come inflated (inflateAhead).
// Every file is written under a temporary name beside its final one; only when all are written
// whole do they take the final names, each earlier file moved aside first, so that any failure
// puts every earlier file back as it was and a killed run leaves no cut file under a final name.
#include "extraction.h"

#include <direct.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/utime.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "core/payloadNames.h"
#include "platform/restartRemoval.h"
#include "inflateAhead.h"

namespace {

// The names a run gives a file beside its final name: the new copy being written, and the
// earlier copy moved aside. Only a run of this program makes them, so the next run may take
// away whatever a killed one left under them.
const char NEW_SUFFIX[] = ".vminst-new";
const char OLD_SUFFIX[] = ".vminst-old";

// What this run has done for a file, so that a failure undoes exactly that.
enum {
    WROTE_NEW = 1,     // the new copy lies under the temporary name
    MOVED_ASIDE = 2,   // the earlier copy lies under the moved-aside name
    PLACED = 4,        // the new copy has the final name
};

void report(ProgressRoutine progress, HWND window, const char *name, int32_t percent)
{
    if (progress != NULL)
        progress(window, name, percent);
}

// The final path of file i: the stored name in the data folder, or below the system
// directory for a name with the system prefix. 0 when it would not fit.
int finalPath(const PayloadTable &table, int32_t i, char *path, size_t size)
{
    const char *name = table.fileNames[i];
    if (!hasSystemPrefix(name))
        return copyText(path, size, name);
    char systemDirectory[TEXT_BUFFER_SIZE];
    UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
    return length != 0 && length < sizeof systemDirectory &&
           buildSystemDestination(path, size, systemDirectory, name);
}

// A shared file of the system directory is written only over an older copy.
int newerSystemCopy(const PayloadTable &table, int32_t i, const char *path)
{
    struct _stat present;
    return hasSystemPrefix(table.fileNames[i]) && _stat(path, &present) == 0 &&
           present.st_mtime > (time_t)table.fileTimes[i];
}

int sideName(char *side, size_t size, const char *path, const char *suffix)
{
    return formatText(side, size, "%s%s", path, suffix);
}

int exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// An earlier copy that has been replaced; one a running program holds goes at the restart,
// named in full: the list is read when no current folder is ours.
void discardMovedAside(const char *old)
{
    if (DeleteFileA(old) || !exists(old))
        return;
    char full[TEXT_BUFFER_SIZE];
    DWORD length = GetFullPathNameA(old, sizeof full, full, NULL);
    if (length != 0 && length < sizeof full)
        scheduleRemovalAtRestart(full);
}

// Takes away what a killed run left beside a final name: its new copy, and its moved-aside
// earlier copy, which goes back to the final name when that is missing.
void cleanLeftovers(const char *path)
{
    char side[TEXT_BUFFER_SIZE];
    if (sideName(side, sizeof side, path, NEW_SUFFIX))
        DeleteFileA(side);
    if (!sideName(side, sizeof side, path, OLD_SUFFIX) || !exists(side))
        return;
    if (!exists(path))
        MoveFileA(side, path);
    else
        discardMovedAside(side);
}

// Whether the file at path may be replaced: 1 (also when there is none), 0 for a library a
// running program holds, which keeps its present copy, -1 when it cannot be (read-only, a
// folder, or a library that cannot be opened for another reason).
int replaceable(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    if (pathNamesDll(path)) {
        // Opened for writing without being cut: a held library refuses it.
        FILE *probe = fopen(path, "r+b");
        if (probe == NULL)
            return errno == EACCES ? 0 : -1;
        fclose(probe);
        return 1;
    }
    return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY) ? -1 : 1;
}

// Writes the chunks of file i to an open file: 1, or 0 when a chunk does not inflate
// completely or is not completely written. Only verified bytes are ever written.
int writeChunks(const PayloadTable &table, int32_t i, FILE *file, InflateAhead *ahead,
                HWND window, ProgressRoutine progress, int32_t &done, int32_t total)
{
    for (int32_t j = 0; j < table.chunkCounts[i]; ++j) {
        const unsigned char *data;
        int32_t length;
        if (!inflatedChunk(ahead, i, j, &data, &length))
            return 0;
        if (fwrite(data, 1, (size_t)length, file) != (size_t)length)
            return 0;
        ++done;
        report(progress, window, table.fileNames[i], percentDone(done, total));
    }
    return 1;
}

// Writes file i's new copy under its temporary name, flushed and closed, with its times.
int writeNewCopy(const PayloadTable &table, int32_t i, const char *path, InflateAhead *ahead,
                 HWND window, ProgressRoutine progress, int32_t &done, int32_t total,
                 unsigned char &state)
{
    char side[TEXT_BUFFER_SIZE];
    if (!makeParentDirectories(path) || !sideName(side, sizeof side, path, NEW_SUFFIX))
        return EXTRACT_CANNOT_CREATE;
    FILE *file = fopen(side, "wb");
    if (file == NULL)
        return EXTRACT_CANNOT_CREATE;
    state = WROTE_NEW;
    int written = writeChunks(table, i, file, ahead, window, progress, done, total);
    // The runtime holds the last block until the flush: a disk that fills then fails here.
    int flushed = fflush(file) == 0;
    if (fclose(file) != 0 || !flushed || !written)
        return EXTRACT_CANNOT_WRITE;
    // The plain calls, which every msvcrt.dll has; on i686 their time_t has 32 bits, as the
    // stored times have.
    struct _utimbuf times;
    times.actime = table.fileTimes[i];
    times.modtime = table.fileTimes[i];
    _utime(side, &times);
    return EXTRACT_SUCCESS;
}

int writeFiles(const PayloadTable &table, InflateAhead *ahead, unsigned char *states,
               HWND window, ProgressRoutine progress)
{
    int32_t total = 0;
    for (int32_t i = 0; i < table.fileCount; ++i)
        total += table.chunkCounts[i];
    int32_t done = 0;
    char path[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < table.fileCount; ++i) {
        report(progress, window, table.fileNames[i], percentDone(done, total));
        if (!finalPath(table, i, path, sizeof path))
            return EXTRACT_CANNOT_CREATE;
        int replace = newerSystemCopy(table, i, path) ? 0 : replaceable(path);
        if (replace < 0)
            return EXTRACT_CANNOT_CREATE;
        if (replace == 0) {
            done += table.chunkCounts[i];
            continue;
        }
        int result = writeNewCopy(table, i, path, ahead, window, progress, done, total, states[i]);
        if (result != EXTRACT_SUCCESS)
            return result;
    }
    return EXTRACT_SUCCESS;
}

// Gives every written file its final name, moving the earlier copy aside first.
int replaceFiles(const PayloadTable &table, unsigned char *states)
{
    char path[TEXT_BUFFER_SIZE];
    char fresh[TEXT_BUFFER_SIZE];
    char old[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < table.fileCount; ++i) {
        if (!(states[i] & WROTE_NEW))
            continue;
        if (!finalPath(table, i, path, sizeof path) ||
            !sideName(fresh, sizeof fresh, path, NEW_SUFFIX) ||
            !sideName(old, sizeof old, path, OLD_SUFFIX))
            return EXTRACT_CANNOT_CREATE;
        if (exists(path)) {
            if (!MoveFileA(path, old))
                return EXTRACT_CANNOT_CREATE;
            states[i] |= MOVED_ASIDE;
        }
        if (!MoveFileA(fresh, path))
            return EXTRACT_CANNOT_CREATE;
        states[i] |= PLACED;
    }
    return EXTRACT_SUCCESS;
}

// After a failure: every earlier copy back under its final name, and what this run wrote gone.
// With done set, after success: the moved-aside earlier copies go.
void settleFiles(const PayloadTable &table, const unsigned char *states, int done)
{
    char path[TEXT_BUFFER_SIZE];
    char side[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < table.fileCount; ++i) {
        unsigned char state = states[i];
        if (state == 0 || !finalPath(table, i, path, sizeof path))
            continue;
        if (done) {
            if ((state & MOVED_ASIDE) && sideName(side, sizeof side, path, OLD_SUFFIX))
                discardMovedAside(side);
            continue;
        }
        if (state & PLACED)
            DeleteFileA(path);
        else if (sideName(side, sizeof side, path, NEW_SUFFIX))
            DeleteFileA(side);
        if ((state & MOVED_ASIDE) && sideName(side, sizeof side, path, OLD_SUFFIX))
            MoveFileA(side, path);
    }
}

}  // namespace

int extractPayloadTable(const PayloadTable &table, HWND window, ProgressRoutine progress)
{
    InflateAhead *ahead = startInflateAhead(table);
    unsigned char *states =
        (unsigned char *)calloc(table.fileCount > 0 ? (size_t)table.fileCount : 1, 1);
    int result = EXTRACT_OUT_OF_MEMORY;
    if (ahead != NULL && states != NULL) {
        char path[TEXT_BUFFER_SIZE];
        for (int32_t i = 0; i < table.fileCount; ++i)
            if (finalPath(table, i, path, sizeof path))
                cleanLeftovers(path);
        result = writeFiles(table, ahead, states, window, progress);
        if (result == EXTRACT_SUCCESS)
            result = replaceFiles(table, states);
        settleFiles(table, states, result == EXTRACT_SUCCESS);
    }
    stopInflateAhead(ahead);
    free(states);
    if (result == EXTRACT_SUCCESS) {
        report(progress, window, "", 100);
        report(progress, window, "Done", 100);
    }
    return result;
}

int makeParentDirectories(const char *path)
{
    char prefix[TEXT_BUFFER_SIZE];
    for (size_t k = 0; path[k] != '\0'; ++k) {
        if (path[k] != '/' && path[k] != '\\')
            continue;
        if (k >= sizeof prefix)
            return 0;
        memcpy(prefix, path, k);
        prefix[k] = '\0';
        // A drive ("C:") and the root before a leading separator are there already.
        if (k == 0 || (k <= 2 && prefix[1] == ':'))
            continue;
        struct _stat present;
        if (_stat(prefix, &present) != 0 && _mkdir(prefix) != 0)
            return 0;
    }
    return 1;
}
