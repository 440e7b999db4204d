// Inflating a payload table's chunks ahead of the writer, on worker threads. The caller's
// thread asks for the chunks in table order and does everything else (files, progress,
// results), inflating chunks too while it would otherwise wait; the workers only inflate
// into the ring's buffers, a fixed number per thread.
#ifndef VELMORANT_INFLATE_AHEAD_H
#define VELMORANT_INFLATE_AHEAD_H

#include <stdint.h>

#include "core/payloadTable.h"

struct InflateAhead;

// Workers of the extractions that start after this call: -1 (the default) for one fewer than
// the processors, the writer's thread inflating too whenever its next chunk is not ready, so
// none on one processor; 0 for the one-thread path; or that many (at most 4).
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
