// The stored names of a payload without its chunks, in table order: what the uninstaller
// links to know which files the setup program installed. Generated at build time from the
// same manifest as the payload (payloadgen --names-only).
#ifndef VELMORANT_PAYLOAD_NAME_LIST_H
#define VELMORANT_PAYLOAD_NAME_LIST_H

#include <stdint.h>

struct PayloadNameList {
    int32_t fileCount;
    const char *const *fileNames;  // stored names; "SYSTEM/" or "SYSTEM\" prefix as stored
};


#endif
