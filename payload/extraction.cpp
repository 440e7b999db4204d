// Writing the payload's files, one chunk at a time as the chunks come inflated (inflateAhead),
// and taking away what an extraction wrote when it failed.
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
#include "inflateAhead.h"

namespace {

// Which files of which table the last extraction opened for writing: the removal after a
// failure takes away exactly those, never a file that was there and left untouched.
const PayloadTable *recordedTable;
unsigned char *openedForWriting;

void report(ProgressRoutine progress, HWND window, const char *name, int32_t percent)
{
    if (progress != NULL)
        progress(window, name, percent);
}

// Builds the destination of file i. Returns 1 with the path, 0 when the file is to be
// passed over (a newer copy in the system directory), -1 when no path can be made.
int destinationPath(const PayloadTable &table, int32_t i, char *path, size_t size)
{
    const char *name = table.fileNames[i];
    if (!hasSystemPrefix(name))
        return copyText(path, size, name) ? 1 : -1;
    char systemDirectory[TEXT_BUFFER_SIZE];
    UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
    if (length == 0 || length >= sizeof systemDirectory)
        return -1;
    if (!buildSystemDestination(path, size, systemDirectory, name))
        return -1;
    struct __stat64 present;
    if (_stat64(path, &present) == 0 && present.st_mtime > (__time64_t)table.fileTimes[i])
        return 0;
    return 1;
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

int extractFiles(const PayloadTable &table, InflateAhead *ahead, HWND window,
                 ProgressRoutine progress)
{
    int32_t total = 0;
    for (int32_t i = 0; i < table.fileCount; ++i)
        total += table.chunkCounts[i];
    int32_t done = 0;
    char path[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < table.fileCount; ++i) {
        report(progress, window, table.fileNames[i], percentDone(done, total));
        int found = destinationPath(table, i, path, sizeof path);
        if (found < 0)
            return EXTRACT_CANNOT_CREATE;
        if (found == 0) {
            done += table.chunkCounts[i];
            continue;
        }
        if (!makeParentDirectories(path))
            return EXTRACT_CANNOT_CREATE;
        FILE *file = fopen(path, "wb");
        if (file == NULL) {
            // A locked library (one in use by a running program) keeps its present copy.
            if (errno == EACCES && pathNamesDll(path)) {
                done += table.chunkCounts[i];
                continue;
            }
            return EXTRACT_CANNOT_CREATE;
        }
        if (!hasSystemPrefix(table.fileNames[i]))
            openedForWriting[i] = 1;
        int written = writeChunks(table, i, file, ahead, window, progress, done, total);
        fclose(file);
        if (!written)
            return EXTRACT_CANNOT_WRITE;
        struct __utimbuf64 times;
        times.actime = table.fileTimes[i];
        times.modtime = table.fileTimes[i];
        _utime64(path, &times);
    }
    report(progress, window, "", 100);
    report(progress, window, "Done", percentDone(done, total));
    return EXTRACT_SUCCESS;
}

}  // namespace

int extractPayloadTable(const PayloadTable &table, HWND window, ProgressRoutine progress)
{
    InflateAhead *ahead = startInflateAhead(table);
    free(openedForWriting);
    recordedTable = &table;
    openedForWriting = (unsigned char *)calloc(table.fileCount > 0 ? (size_t)table.fileCount : 1, 1);
    if (ahead == NULL || openedForWriting == NULL) {
        stopInflateAhead(ahead);
        return EXTRACT_OUT_OF_MEMORY;
    }
    int result = extractFiles(table, ahead, window, progress);
    stopInflateAhead(ahead);
    return result;
}

int extractPayload(HWND window, ProgressRoutine progress)
{
    return extractPayloadTable(payloadTable, window, progress);
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
        struct __stat64 present;
        if (_stat64(prefix, &present) != 0 && _mkdir(prefix) != 0)
            return 0;
    }
    return 1;
}

int removePayloadTableFiles(const PayloadTable &table, HWND window, ProgressRoutine progress)
{
    int recorded = recordedTable == &table && openedForWriting != NULL;
    for (int32_t i = 0; i < table.fileCount; ++i) {
        report(progress, window, table.fileNames[i], percentDone(i, table.fileCount));
        if (!recorded || !openedForWriting[i])
            continue;
        FILE *file = fopen(table.fileNames[i], "rb");
        if (file == NULL)
            continue;
        fclose(file);
        if (remove(table.fileNames[i]) != 0)
            return 0;
        openedForWriting[i] = 0;
    }
    report(progress, window, "", 100);
    return 4;
}

int removePayloadFiles(HWND window, ProgressRoutine progress)
{
    return removePayloadTableFiles(payloadTable, window, progress);
}
