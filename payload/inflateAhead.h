// Inflating a payload table's chunks ahead of the writer, on worker threads. The caller's
// thread asks for the chunks in table order and does everything else (files, progress,
// results); the workers only inflate into buffers of their own, a fixed number per worker.
#ifndef VELMORANT_INFLATE_AHEAD_H
#define VELMORANT_INFLATE_AHEAD_H

#include <stdint.h>

#include "core/payloadTable.h"

struct InflateAhead;

// Workers of the extractions that start after this call: 0 (the default) for the one-thread
// path, -1 for one per processor when there are several, none on one processor. The one-thread
// path is the default because the workers gained nothing measurable on the shared two-core
// machine of the benchmark (bench/performance.sh reports both).
void setInflateWorkers(int32_t workers);

// Starts inflating table's chunks in table order; NULL when out of memory. Where no thread
// can be made, the chunks are inflated on the caller's thread when asked for.
InflateAhead *startInflateAhead(const PayloadTable &table);

// Chunk `chunk` of file `file`, inflated: 1 with its bytes, or 0 when the stream is damaged.
// Calls come in table order; chunks of files passed over are simply not asked for. The bytes
// stay valid until the next call.
int inflatedChunk(InflateAhead *ahead, int32_t file, int32_t chunk, const unsigned char **data,
                  int32_t *length);

// Ends the workers (whatever they were doing) and frees everything; NULL is allowed.
void stopInflateAhead(InflateAhead *ahead);

#endif
