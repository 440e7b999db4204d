// The chunks are independent zlib streams, so workers can inflate them in any order; a ring of
// slots hands them to the writer in table order. Chunk s goes to slot s % slotCount, and no
// chunk is claimed more than slotCount ahead of the writer. Waiting and waking cost a call into
// the system (under Wine, a round trip to its server), so a side sleeps only when it must and
// is woken only when it sleeps: the writer, which inflates the next chunks itself rather than
// wait, when its chunk is done; the workers when half the ring is free again. Only functions
// that Windows 95 and NT 4 have: threads, events, semaphores, critical sections.
#include "inflateAhead.h"

#include <windows.h>
#include <stdlib.h>
#include <zlib.h>

namespace {

const int32_t kMostWorkers = 4;
const int32_t kSlotsPerWorker = 4;

int32_t requestedWorkers = -1;

struct Slot {
    int32_t sequence;  // the chunk it holds or is being inflated into it
    int32_t ready;
    int32_t ok;
    int32_t length;
};

}  // namespace

struct InflateAhead {
    const PayloadTable *table;
    unsigned char *buffers;  // slotCount buffers of PAYLOAD_CHUNK_LIMIT bytes
    Slot slots[(kMostWorkers + 1) * kSlotsPerWorker];
    int32_t slotCount;
    int32_t total;
    // The workers' side: the next chunk to claim.
    int32_t claimFile;
    int32_t claimChunk;
    int32_t claimed;
    int32_t stopping;
    int32_t sleepingWorkers;
    // The writer's side: its place in the table and the chunks it handed back.
    int32_t askedFile;
    int32_t askedBase;  // sequence number of askedFile's first chunk
    int32_t released;
    int32_t awaited;  // the chunk the writer sleeps for, or -1
    CRITICAL_SECTION lock;
    HANDLE wakeWorkers;  // semaphore: one count per sleeping worker woken
    HANDLE slotReady;    // auto-reset: the awaited chunk is done
    HANDLE threads[kMostWorkers];
    int32_t workerCount;
};

namespace {

unsigned char *slotBuffer(InflateAhead *ahead, int32_t slot)
{
    return ahead->buffers + (size_t)slot * PAYLOAD_CHUNK_LIMIT;
}

int inflateInto(unsigned char *buffer, const unsigned char *stream, int32_t size, int32_t *length)
{
    uLongf inflated = PAYLOAD_CHUNK_LIMIT;
    int ok = uncompress(buffer, &inflated, stream, (uLong)size) == Z_OK;
    *length = (int32_t)inflated;
    return ok;
}

// Claims the next chunk when a slot is free and inflates it into that slot, the lock released
// meanwhile. Called holding the lock; returns holding it: 0 when there was nothing to claim.
int inflateNextChunk(InflateAhead *ahead)
{
    const PayloadTable &table = *ahead->table;
    if (ahead->stopping || ahead->claimed >= ahead->total ||
        ahead->claimed - ahead->released >= ahead->slotCount)
        return 0;
    while (ahead->claimChunk >= table.chunkCounts[ahead->claimFile]) {
        ++ahead->claimFile;
        ahead->claimChunk = 0;
    }
    const unsigned char *stream = table.chunkData[ahead->claimFile][ahead->claimChunk];
    int32_t size = table.chunkSizes[ahead->claimFile][ahead->claimChunk];
    ++ahead->claimChunk;
    int32_t index = ahead->claimed % ahead->slotCount;
    Slot &slot = ahead->slots[index];
    slot.sequence = ahead->claimed++;
    slot.ready = 0;
    LeaveCriticalSection(&ahead->lock);

    int32_t length;
    int ok = inflateInto(slotBuffer(ahead, index), stream, size, &length);
    EnterCriticalSection(&ahead->lock);
    slot.ok = ok;
    slot.length = length;
    slot.ready = 1;
    if (ahead->awaited == slot.sequence) {
        ahead->awaited = -1;
        SetEvent(ahead->slotReady);
    }
    return 1;
}

DWORD WINAPI inflateWorker(LPVOID parameter)
{
    InflateAhead *ahead = static_cast<InflateAhead *>(parameter);
    EnterCriticalSection(&ahead->lock);
    for (;;) {
        if (inflateNextChunk(ahead))
            continue;
        if (ahead->stopping || ahead->claimed >= ahead->total) {
            LeaveCriticalSection(&ahead->lock);
            return 0;
        }
        ++ahead->sleepingWorkers;
        LeaveCriticalSection(&ahead->lock);
        WaitForSingleObject(ahead->wakeWorkers, INFINITE);
        EnterCriticalSection(&ahead->lock);
    }
}

// Wakes the sleeping workers; called holding the lock.
void wakeWorkers(InflateAhead *ahead)
{
    if (ahead->sleepingWorkers > 0) {
        ReleaseSemaphore(ahead->wakeWorkers, ahead->sleepingWorkers, NULL);
        ahead->sleepingWorkers = 0;
    }
}

// Waits until chunk `sequence` is inflated; returns its slot. Rather than sleep, the writer
// inflates the next chunks itself while slots are free: a sleep and its wake-up are each a
// call into the system, and the writer's core would idle meanwhile.
Slot &waitForChunk(InflateAhead *ahead, int32_t sequence)
{
    Slot &slot = ahead->slots[sequence % ahead->slotCount];
    EnterCriticalSection(&ahead->lock);
    while (slot.sequence != sequence || !slot.ready) {
        if (inflateNextChunk(ahead))
            continue;
        ahead->awaited = sequence;
        LeaveCriticalSection(&ahead->lock);
        WaitForSingleObject(ahead->slotReady, INFINITE);
        EnterCriticalSection(&ahead->lock);
    }
    LeaveCriticalSection(&ahead->lock);
    return slot;
}

int32_t workersToStart()
{
    if (requestedWorkers >= 0)
        return requestedWorkers < kMostWorkers ? requestedWorkers : kMostWorkers;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    // The writer inflates too whenever its next chunk is not ready: one worker fewer than
    // processors keeps every one busy.
    int32_t helpers = (int32_t)system.dwNumberOfProcessors - 1;
    return helpers < kMostWorkers ? helpers : kMostWorkers;
}

}  // namespace

void setInflateWorkers(int32_t workers)
{
    requestedWorkers = workers;
}

InflateAhead *startInflateAhead(const PayloadTable &table)
{
    InflateAhead *ahead = static_cast<InflateAhead *>(calloc(1, sizeof(InflateAhead)));
    if (ahead == NULL)
        return NULL;
    ahead->table = &table;
    for (int32_t i = 0; i < table.fileCount; ++i)
        ahead->total += table.chunkCounts[i];
    int32_t workers = ahead->total > 1 ? workersToStart() : 0;
    ahead->slotCount = workers > 0 ? (workers + 1) * kSlotsPerWorker : 1;
    ahead->buffers = static_cast<unsigned char *>(malloc((size_t)ahead->slotCount * PAYLOAD_CHUNK_LIMIT));
    if (ahead->buffers == NULL) {
        free(ahead);
        return NULL;
    }
    if (workers == 0)
        return ahead;
    InitializeCriticalSection(&ahead->lock);
    ahead->awaited = -1;
    ahead->wakeWorkers = CreateSemaphoreA(NULL, 0, kMostWorkers, NULL);
    ahead->slotReady = CreateEventA(NULL, FALSE, FALSE, NULL);
    if (ahead->wakeWorkers != NULL && ahead->slotReady != NULL) {
        for (int32_t k = 0; k < workers; ++k) {
            DWORD id;  // Windows 95 wants somewhere to put it
            HANDLE thread = CreateThread(NULL, 0, inflateWorker, ahead, 0, &id);
            if (thread == NULL)
                break;
            ahead->threads[ahead->workerCount++] = thread;
        }
    }
    return ahead;
}

int inflatedChunk(InflateAhead *ahead, int32_t file, int32_t chunk, const unsigned char **data,
                  int32_t *length)
{
    const PayloadTable &table = *ahead->table;
    if (ahead->workerCount == 0) {
        *data = ahead->buffers;
        return inflateInto(ahead->buffers, table.chunkData[file][chunk], table.chunkSizes[file][chunk],
                           length);
    }
    while (ahead->askedFile < file)
        ahead->askedBase += table.chunkCounts[ahead->askedFile++];
    int32_t sequence = ahead->askedBase + chunk;
    // Hands back the chunk given last time and those of files passed over, once inflated:
    // a worker may still be writing into their slots.
    while (ahead->released < sequence) {
        waitForChunk(ahead, ahead->released);
        EnterCriticalSection(&ahead->lock);
        ++ahead->released;
        if (ahead->claimed - ahead->released <= ahead->slotCount / 2)
            wakeWorkers(ahead);
        LeaveCriticalSection(&ahead->lock);
    }
    Slot &slot = waitForChunk(ahead, sequence);
    *data = slotBuffer(ahead, sequence % ahead->slotCount);
    *length = slot.length;
    return slot.ok;
}

void stopInflateAhead(InflateAhead *ahead)
{
    if (ahead == NULL)
        return;
    if (ahead->wakeWorkers != NULL) {
        EnterCriticalSection(&ahead->lock);
        ahead->stopping = 1;
        wakeWorkers(ahead);
        LeaveCriticalSection(&ahead->lock);
        for (int32_t k = 0; k < ahead->workerCount; ++k) {
            WaitForSingleObject(ahead->threads[k], INFINITE);
            CloseHandle(ahead->threads[k]);
        }
        CloseHandle(ahead->wakeWorkers);
    }
    if (ahead->slotReady != NULL)
        CloseHandle(ahead->slotReady);
    if (ahead->slotCount > 1)
        DeleteCriticalSection(&ahead->lock);
    free(ahead->buffers);
    free(ahead);
}
