// Writing the payload to disk: every file or, after a failure, none.
#ifndef VELMORANT_EXTRACTION_H
#define VELMORANT_EXTRACTION_H

#include <windows.h>

#include "core/payloadTable.h"

// Told the file being written and the percentage of chunks done (0 to 100).
typedef void (*ProgressRoutine)(HWND window, const char *name, int percent);

// Result codes of extractPayload.
enum {
    EXTRACT_CANNOT_CREATE = 1,   // a folder or a file could not be made, or not replace its
                                 // earlier copy
    EXTRACT_CANNOT_WRITE = 2,    // a chunk could not be inflated or completely written, or a
                                 // file not flushed and closed
    EXTRACT_OUT_OF_MEMORY = 3,   // no output buffer
    EXTRACT_SUCCESS = 4,
};

// Extracts the table's files relative to the current directory. First takes away what a killed
// run left (see extraction.cpp). On any failure every earlier file is back under its name as
// it was and nothing this run wrote is left; the progress then stops where the failure was.
int extractPayloadTable(const PayloadTable &table, HWND window, ProgressRoutine progress);

// Makes the missing folders before the last separator of path: 1 when all exist, else 0.
int makeParentDirectories(const char *path);

#endif
