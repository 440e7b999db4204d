// The names a run gives a payload file beside its final name, and the journal of the files a
// run is about to replace. The journal is written before the first file is replaced, so that
// the next run can finish the roll-back of a run killed halfway. It lies in the data folder,
// which others may be able to change: an entry names a payload file only by its place in the
// table, checked against the stored name, and a side name only by a number; reading one keeps
// only the entries that name a file of the running payload. No platform calls.
#ifndef VELMORANT_REPLACE_JOURNAL_H
#define VELMORANT_REPLACE_JOURNAL_H

#include <stddef.h>
#include <stdint.h>

// In the data folder, while files are being replaced.
#define JOURNAL_FILE_NAME "velmorant.vminst-journal"

// The new copy of a file, written whole before any file is replaced.
#define NEW_COPY_SUFFIX ".vminst-new"
// An earlier copy moved aside takes the first free one of this many names: ".vminst-old",
// then ".vminst-old1" to ".vminst-old7". A name stays taken while a running program holds the
// copy under it (until the restart removes it), so that many upgrades can follow each other
// without a restart; past that the run replaces nothing.
#define ASIDE_NAME_COUNT 8

// Path with the suffix of aside name number aside (0 to ASIDE_NAME_COUNT - 1). 0 when it would
// not fit or the number is out of range.
int buildAsideName(char *side, size_t size, const char *path, int32_t aside);

// One file a run is about to replace, as the journal holds it.
struct JournalEntry {
    int32_t file;     // its place in the payload table
    int32_t aside;    // the number of its aside name
    int32_t earlier;  // 1 when an earlier copy is there to be moved aside
    uint32_t check;   // a check of the stored name at that place
};

// The bytes of a journal of count entries.
size_t journalSize(int32_t count);
// The journal of count entries into image (journalSize(count) bytes), each checked against
// the stored name of its file.
void formatJournal(unsigned char *image, const JournalEntry *entries, int32_t count,
                   const char *const *names);
// Reads length bytes of a journal. 1 when it is whole (its first and last bytes, which a run
// writes together with the entries, and its length agree): the entries whose file is one of
// names[0..fileCount) by place and name, with an aside number in range, each file once, go to
// entries (room for fileCount) and their number to *count. 0 for anything else, with *count
// 0: a journal cut short was never acted on.
int parseJournal(const unsigned char *image, size_t length, const char *const *names,
                 int32_t fileCount, JournalEntry *entries, int32_t *count);

#endif
