// The compiled-in payload: the product's files, each cut into pieces of at most 30000 bytes
// that are stored as separate zlib streams. Generated at build time; never written at run time.
#ifndef VELMORANT_PAYLOAD_TABLE_H
#define VELMORANT_PAYLOAD_TABLE_H

#include <stdint.h>

// A count and six parallel arrays indexed by file number, the order of extraction, and the
// files' inflated size.
struct PayloadTable {
    int32_t fileCount;
    const unsigned char *const *const *chunkData;  // per file: its chunks' first bytes
    const int32_t *const *chunkSizes;              // per file: each chunk's exact stream length
    const char *const *fileNames;                  // stored names; "SYSTEM/" or "SYSTEM\" prefix
    const int32_t *chunkCounts;                    // per file: number of chunks
    const int32_t *fileTimes;                      // access and modification time to give the file
    const uint32_t *fileChecks;                    // Adler-32 of the file's streams back to back
    int32_t installedKilobytes;  // every file's inflated bytes together, in KB rounded up
};


// Every chunk inflates to at most this many bytes: the size of the extraction's buffer.
#define PAYLOAD_CHUNK_LIMIT 32000
// The generator cuts files into pieces of this size.
#define PAYLOAD_PIECE_SIZE 30000

#endif
