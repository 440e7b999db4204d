// The journal is text, one line per file: "<aside number> <0 or 1> <stored name>", between a
// first line that says what it is and a last line "end". Stored names hold no line break.
#include "replaceJournal.h"

#include <string.h>

#include "boundedText.h"

namespace {

const char HEADER[] = "velmorant replace journal 1\n";
const char FOOTER[] = "end\n";

// The largest line before its name: "7 1 ".
const size_t ENTRY_OVERHEAD = 8;

// A number of one digit, a blank, 0 or 1, a blank, then the name up to the line's end; 1 when
// the line has that form and its name is one of names.
int parseEntry(const char *line, size_t length, const char *const *names, int32_t fileCount,
               JournalEntry *entry)
{
    if (length < 5 || line[0] < '0' || line[0] > '9' || line[1] != ' ' ||
        (line[2] != '0' && line[2] != '1') || line[3] != ' ')
        return 0;
    entry->aside = line[0] - '0';
    entry->earlier = line[2] - '0';
    if (entry->aside >= ASIDE_NAME_COUNT)
        return 0;
    const char *name = line + 4;
    size_t nameLength = length - 4;
    for (int32_t i = 0; i < fileCount; ++i) {
        if (strlen(names[i]) == nameLength && memcmp(names[i], name, nameLength) == 0) {
            entry->file = i;
            return 1;
        }
    }
    return 0;
}

}  // namespace

int buildAsideName(char *side, size_t size, const char *path, int32_t aside)
{
    if (aside < 0 || aside >= ASIDE_NAME_COUNT) {
        if (size > 0)
            side[0] = '\0';
        return 0;
    }
    if (aside == 0)
        return formatText(side, size, "%s.vminst-old", path);
    return formatText(side, size, "%s.vminst-old%d", path, (int)aside);
}

size_t journalLimit(const char *const *names, int32_t fileCount)
{
    size_t limit = sizeof HEADER + sizeof FOOTER;
    for (int32_t i = 0; i < fileCount; ++i)
        limit += strlen(names[i]) + ENTRY_OVERHEAD;
    return limit;
}

int formatJournal(char *text, size_t size, const JournalEntry *entries, int32_t count,
                  const char *const *names)
{
    if (!copyText(text, size, HEADER))
        return 0;
    size_t used = strlen(text);
    for (int32_t k = 0; k < count; ++k) {
        const JournalEntry &entry = entries[k];
        if (!formatText(text + used, size - used, "%d %d %s\n", (int)entry.aside,
                        (int)entry.earlier, names[entry.file])) {
            text[0] = '\0';
            return 0;
        }
        used += strlen(text + used);
    }
    if (!appendText(text, size, FOOTER)) {
        text[0] = '\0';
        return 0;
    }
    return 1;
}

int parseJournal(const char *text, size_t length, const char *const *names, int32_t fileCount,
                 JournalEntry *entries, int32_t *count)
{
    *count = 0;
    size_t headerLength = sizeof HEADER - 1;
    size_t footerLength = sizeof FOOTER - 1;
    if (length < headerLength + footerLength || memcmp(text, HEADER, headerLength) != 0 ||
        memcmp(text + length - footerLength, FOOTER, footerLength) != 0 ||
        (length > headerLength + footerLength && text[length - footerLength - 1] != '\n'))
        return 0;
    const char *end = text + length - footerLength;
    int32_t found = 0;
    for (const char *line = text + headerLength; line < end;) {
        const char *lineEnd = static_cast<const char *>(memchr(line, '\n', (size_t)(end - line)));
        JournalEntry entry;
        if (parseEntry(line, (size_t)(lineEnd - line), names, fileCount, &entry)) {
            int seen = 0;
            for (int32_t k = 0; k < found; ++k)
                seen = seen || entries[k].file == entry.file;
            if (!seen)
                entries[found++] = entry;
        }
        line = lineEnd + 1;
    }
    *count = found;
    return 1;
}
