// Writing the payload to disk: every file or, after a failure, none.
#ifndef VELMORANT_EXTRACTION_H
#define VELMORANT_EXTRACTION_H

#include <windows.h>

#include <stddef.h>

#include "core/pathText.h"
#include "core/payloadTable.h"

// Told the file being written and the percentage of chunks done (0 to 100).
typedef void (*ProgressRoutine)(HWND window, const char *name, int percent);

// Result codes of extractPayloadTable.
enum {
    EXTRACT_CANNOT_CREATE = 1,   // a folder or a file could not be made, or not replace its
                                 // earlier copy
    EXTRACT_CANNOT_WRITE = 2,    // a chunk could not be inflated or completely written, or a
                                 // file not closed
    EXTRACT_OUT_OF_MEMORY = 3,   // no output buffer
    EXTRACT_SUCCESS = 4,
    EXTRACT_NOT_RESTORED = 5,    // after a failure, an earlier file could not be put back: the
                                 // journal stays for the next run to try again
};

// The renames of the extraction go through this table: a test build replaces it to stop a
// run between two renames, as a kill would.
struct ExtractionCalls {
    BOOL(WINAPI *moveFile)(LPCSTR from, LPCSTR to);
};
// The table of the extractions that start after this call; NULL for the platform's calls.
void setExtractionCalls(const ExtractionCalls *calls);

// Extracts the table's files relative to the current directory, the data folder. First
// finishes the roll-back of a run killed while replacing files, then takes away what earlier
// runs left (see extraction.cpp). On any failure every earlier file is back under its name as
// it was and nothing this run wrote is left (but for the new copies of a journal that stays);
// the progress then stops where the failure was. With EXTRACT_NOT_RESTORED, unrestored (when
// given) holds the full path of a file whose earlier copy could not be put back. With any other
// result it holds, one a line, the full paths of the files whose earlier copies a stopped run
// had moved aside and that were gone since ("" when none): no run can put them back, so their
// entries were dropped and this run writes the files again.
int extractPayloadTable(const PayloadTable &table, HWND window, ProgressRoutine progress,
                        char *unrestored = NULL, size_t unrestoredSize = 0);

// Makes the missing folders before the last separator of path: 1 when all exist, else 0.
int makeParentDirectories(const char *path, const LeadBytes &lead);

#endif
