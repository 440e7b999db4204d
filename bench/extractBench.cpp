// extractBench FOLDER: extracts the compiled-in payload into FOLDER with no progress routine,
// the extraction's work and nothing else. Exit status 0 when it succeeded.
#include <direct.h>
#include <stdio.h>

#include "payload/extraction.h"

int main(int argc, char **argv)
{
    if (argc != 2 || (_mkdir(argv[1]), _chdir(argv[1])) != 0) {
        fprintf(stderr, "usage: extractBench FOLDER (a folder that can be made and entered)\n");
        return 2;
    }
    int result = extractPayload(NULL, NULL);
    if (result != EXTRACT_SUCCESS)
        fprintf(stderr, "extractBench: extraction result %d\n", result);
    return result == EXTRACT_SUCCESS ? 0 : 1;
}
