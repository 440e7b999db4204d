// The journal is binary: a mark, the number of entries, the entries (four 32-bit numbers each,
// in the byte order of every Windows machine), and an end mark.
#include "replaceJournal.h"

#include <string.h>

#include "boundedText.h"

namespace {

const uint32_t JOURNAL_MARK = 0x314A4D56;  // "VMJ1"
const uint32_t JOURNAL_END = 0x444E4556;   // "VEND"

// FNV-1a: tells a place that holds another file in another build's table.
uint32_t nameCheck(const char *name)
{
    uint32_t check = 2166136261u;
    for (; *name != '\0'; ++name)
        check = (check ^ (unsigned char)*name) * 16777619u;
    return check;
}

}  // namespace

int buildAsideName(char *side, size_t size, const char *path, int32_t aside)
{
    if (aside < 0 || aside >= ASIDE_NAME_COUNT) {
        if (size > 0)
            side[0] = '\0';
        return 0;
    }
    char number[2] = {(char)('0' + aside), '\0'};
    return formatText(side, size, "%s.vminst-old%s", path, aside > 0 ? number : "");
}

size_t journalSize(int32_t count)
{
    return 3 * sizeof(uint32_t) + (size_t)count * sizeof(JournalEntry);
}

void formatJournal(unsigned char *image, const JournalEntry *entries, int32_t count,
                   const char *const *names)
{
    memcpy(image, &JOURNAL_MARK, 4);
    memcpy(image + 4, &count, 4);
    for (int32_t k = 0; k < count; ++k) {
        JournalEntry entry = entries[k];
        entry.check = nameCheck(names[entry.file]);
        memcpy(image + 8 + (size_t)k * sizeof entry, &entry, sizeof entry);
    }
    memcpy(image + journalSize(count) - 4, &JOURNAL_END, 4);
}

int parseJournal(const unsigned char *image, size_t length, const char *const *names,
                 int32_t fileCount, JournalEntry *entries, int32_t *count)
{
    *count = 0;
    uint32_t mark = 0;
    uint32_t end = 0;
    int32_t total = -1;
    if (length >= journalSize(0)) {
        memcpy(&mark, image, 4);
        memcpy(&total, image + 4, 4);
        memcpy(&end, image + length - 4, 4);
    }
    if (mark != JOURNAL_MARK || end != JOURNAL_END || total < 0 || total > fileCount ||
        length != journalSize(total))
        return 0;
    int32_t found = 0;
    for (int32_t k = 0; k < total; ++k) {
        JournalEntry entry;
        memcpy(&entry, image + 8 + (size_t)k * sizeof entry, sizeof entry);
        int keep = entry.file >= 0 && entry.file < fileCount && entry.aside >= 0 &&
                   entry.aside < ASIDE_NAME_COUNT && (entry.earlier == 0 || entry.earlier == 1) &&
                   entry.check == nameCheck(names[entry.file]);
        for (int32_t other = 0; other < found; ++other)
            keep = keep && entries[other].file != entry.file;
        if (keep)
            entries[found++] = entry;
    }
    *count = found;
    return 1;
}
