// extractBench FOLDER [WORKERS]: extracts the compiled-in payload into FOLDER with no progress
// routine, the extraction's work and nothing else; WORKERS as setInflateWorkers takes them
// (-1: one per processor), by default what the setup program does. Exit status 0 when it
// succeeded.
#include <direct.h>
#include <stdio.h>
#include <stdlib.h>

#include "payload/extraction.h"
#include "payload/inflateAhead.h"

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3 || (_mkdir(argv[1]), _chdir(argv[1])) != 0) {
        fprintf(stderr, "usage: extractBench FOLDER [WORKERS] (a folder that can be made and entered)\n");
        return 2;
    }
    if (argc == 3)
        setInflateWorkers(atoi(argv[2]));
    int result = extractPayload(NULL, NULL);
    if (result != EXTRACT_SUCCESS)
        fprintf(stderr, "extractBench: extraction result %d\n", result);
    return result == EXTRACT_SUCCESS ? 0 : 1;
}
