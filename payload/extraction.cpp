// PLACEHOLDER until the extraction is built: writes nothing and reports success.
#include "extraction.h"

int extractPayloadTable(const PayloadTable &, HWND, ProgressRoutine)
{
    return EXTRACT_SUCCESS;
}

int extractPayload(HWND window, ProgressRoutine progress)
{
    return extractPayloadTable(payloadTable, window, progress);
}

int makeParentDirectories(const char *)
{
    return 1;
}

int removePayloadTableFiles(const PayloadTable &, HWND, ProgressRoutine)
{
    return 4;
}

int removePayloadFiles(HWND window, ProgressRoutine progress)
{
    return removePayloadTableFiles(payloadTable, window, progress);
}
