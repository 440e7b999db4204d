// A test build's stop in the middle of the replacement, as a kill there would stop the run:
// the extraction's renames go through a table whose move ends the process after the number of
// renames that VELMORANT_STOP_AFTER_RENAME gives (exit code 3). Without it, the shipping calls.
#include <windows.h>

#include <stdlib.h>

#include "payload/extraction.h"

namespace {

int renamesLeft;

BOOL WINAPI moveThenStop(LPCSTR from, LPCSTR to)
{
    BOOL moved = MoveFileA(from, to);
    if (--renamesLeft == 0)
        TerminateProcess(GetCurrentProcess(), 3);
    return moved;
}

const ExtractionCalls stoppingCalls = {moveThenStop};

struct StopAfterRename {
    StopAfterRename()
    {
        const char *count = getenv("VELMORANT_STOP_AFTER_RENAME");
        renamesLeft = count != NULL ? atoi(count) : 0;
        if (renamesLeft > 0)
            setExtractionCalls(&stoppingCalls);
    }
} stopAfterRename;

}  // namespace
