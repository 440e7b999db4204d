// The journal as the next run finds it in the data folder, where others may have written
// anything: only entries that name a file of the payload come out, each once, and a journal
// read whole reads the same once written again; one cut short by a byte is never read.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "core/replaceJournal.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

const char *const names[] = {"velmorant.exe", "velmorant.exe.manifest", "qxuninst.exe",
                             "SYSTEM/x.dll"};
const int32_t fileCount = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    JournalEntry entries[fileCount];
    int32_t count = -1;
    int whole = parseJournal(data, size, names, fileCount, entries, &count);
    check(count >= 0 && count <= fileCount && (whole || count == 0));
    for (int32_t k = 0; k < count; ++k) {
        check(entries[k].file >= 0 && entries[k].file < fileCount);
        check(entries[k].aside >= 0 && entries[k].aside < ASIDE_NAME_COUNT);
        check(entries[k].earlier == 0 || entries[k].earlier == 1);
        for (int32_t other = 0; other < k; ++other)
            check(entries[other].file != entries[k].file);
    }
    if (!whole)
        return 0;
    JournalEntry again[fileCount];
    int32_t countAgain = -1;
    check(!parseJournal(data, size - 1, names, fileCount, again, &countAgain));
    // What was kept, written again as a run writes it, reads back the same.
    std::vector<unsigned char> image(journalSize(count));
    formatJournal(image.data(), entries, count, names);
    check(parseJournal(image.data(), image.size(), names, fileCount, again, &countAgain));
    check(countAgain == count && memcmp(again, entries, (size_t)count * sizeof *again) == 0);
    return 0;
}
