// Writing the payload to disk, and taking it away again after a failed extraction.
#ifndef VELMORANT_EXTRACTION_H
#define VELMORANT_EXTRACTION_H

#include <windows.h>

#include "core/payloadTable.h"

// Told the file being written and the percentage of chunks done (0 to 100).
typedef void (*ProgressRoutine)(HWND window, const char *name, int percent);

// Result codes of extractPayload.
enum {
    EXTRACT_CANNOT_CREATE = 1,   // a folder or a file could not be made
    EXTRACT_CANNOT_WRITE = 2,    // a chunk could not be inflated or completely written
    EXTRACT_OUT_OF_MEMORY = 3,   // no output buffer
    EXTRACT_SUCCESS = 4,
};

// Extracts the table's files relative to the current directory.
int extractPayloadTable(const PayloadTable &table, HWND window, ProgressRoutine progress);

// Makes the missing folders before the last separator of path: 1 when all exist, else 0.
int makeParentDirectories(const char *path);

// Removes what the last extraction of the same table wrote: 4 when done, 0 when a file
// could not be deleted.
int removePayloadTableFiles(const PayloadTable &table, HWND window, ProgressRoutine progress);

#endif
