// The text rules of the extraction: which names go to the system directory, which paths may
// be passed over when locked, the folders a path needs, the progress percentage and the
// stored times as Windows counts them. No platform calls.
#ifndef VELMORANT_PAYLOAD_NAMES_H
#define VELMORANT_PAYLOAD_NAMES_H

#include <stddef.h>
#include <stdint.h>

#include "pathText.h"

// The seven characters "SYSTEM/" or "SYSTEM\" (upper case) begin the name.
int hasSystemPrefix(const char *storedName);
// The path holds "DLL" or "dll" (case-sensitive; other mixes do not count).
int pathNamesDll(const char *path);
// done * 100 / total, truncated, for any counts with done from 0 to total (below: 0, above: 100);
// 100 for an empty table (no chunks to count).
int32_t percentDone(int32_t done, int32_t total);
// A stored time (seconds since 1970, UTC) as Windows counts file times: 100-nanosecond ticks
// since 1601.
uint64_t windowsFileTime(int32_t unixTime);
// <system directory>[\]<name without its prefix>, the separator added unless the directory's
// last character is one. 0 when the directory is empty (unknown) or the path would not fit.
int buildSystemDestination(char *path, size_t size, const char *systemDirectory,
                           const char *storedName, const LeadBytes &lead);
// The folders before the last separator of path, one per call from *position (0 at first):
// the length of the next one's path, or 0 when none is left. A drive ("C:") and the root
// before a leading separator are passed over: they are there already.
size_t nextParentFolder(const char *path, size_t *position, const LeadBytes &lead);

#endif
