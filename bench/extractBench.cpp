// extractBench FOLDER [WORKERS]: checks and extracts the compiled-in payload into FOLDER with no
// progress routine, as the setup program does, and nothing else; WORKERS as setInflateWorkers
// takes them (-1: one per processor), by default the setup program's one thread. Exit status 0
// when it succeeded.
// extractBench --check: the payload check alone, its time in milliseconds on standard output.
#include <windows.h>

#include <direct.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "payload/extraction.h"
#include "payload/inflateAhead.h"
#include "payload/payloadCheck.h"

extern const PayloadTable payloadTable;

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--check") == 0) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        int intact = payloadTableIntact(payloadTable);
        QueryPerformanceCounter(&end);
        printf("%.1f\n", 1000.0 * (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart);
        return intact ? 0 : 1;
    }
    if (argc < 2 || argc > 3 || (_mkdir(argv[1]), _chdir(argv[1])) != 0) {
        fprintf(stderr, "usage: extractBench FOLDER [WORKERS] | --check\n");
        return 2;
    }
    if (argc == 3)
        setInflateWorkers(atoi(argv[2]));
    if (!payloadTableIntact(payloadTable)) {
        fprintf(stderr, "extractBench: the payload is damaged\n");
        return 1;
    }
    int result = extractPayloadTable(payloadTable, NULL, NULL);
    if (result != EXTRACT_SUCCESS)
        fprintf(stderr, "extractBench: extraction result %d\n", result);
    return result == EXTRACT_SUCCESS ? 0 : 1;
}
