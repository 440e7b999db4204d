#include "core/replaceJournal.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const char *const names[] = {"velmorant.exe", "SYSTEM/shared.dll", "sub\\notes.txt"};
const char *const otherBuild[] = {"velmorant.exe", "sub\\notes.txt", "SYSTEM/shared.dll"};

typedef std::vector<unsigned char> Image;

// A journal as a run writes it; an entry's file outside the table is put in afterwards, as a
// damaged or planted journal would hold it.
Image journalOf(std::vector<JournalEntry> entries, const char *const *from = names)
{
    std::vector<int32_t> files;
    for (JournalEntry &entry : entries) {
        files.push_back(entry.file);
        if (entry.file < 0 || entry.file > 2)
            entry.file = 0;
    }
    Image image(journalSize((int32_t)entries.size()));
    formatJournal(image.data(), entries.data(), (int32_t)entries.size(), from);
    for (size_t k = 0; k < files.size(); ++k)
        memcpy(image.data() + 8 + k * sizeof(JournalEntry), &files[k], sizeof files[k]);
    return image;
}

// "<file> <aside> <earlier>" of each entry read back; "cut" when the journal is not whole.
std::vector<std::string> read(const Image &image)
{
    JournalEntry entries[3];
    int32_t count = -1;
    int whole = parseJournal(image.data(), image.size(), names, 3, entries, &count);
    std::vector<std::string> seen;
    if (!whole)
        seen.push_back("cut");
    for (int32_t k = 0; k < count; ++k)
        seen.push_back(std::to_string(entries[k].file) + " " + std::to_string(entries[k].aside) +
                       " " + std::to_string(entries[k].earlier));
    return seen;
}

typedef std::vector<std::string> Seen;

}  // namespace

TEST(ReplaceJournal, WrittenJournalReadsBack)
{
    EXPECT_EQ(read(journalOf({{2, 0, 1, 0}, {0, 7, 1, 0}, {1, 3, 0, 0}})),
              Seen({"2 0 1", "0 7 1", "1 3 0"}));
    EXPECT_EQ(read(journalOf({})), Seen());
}

// The journal lies where others may write: whatever it holds, only files of the payload by
// place and name, with aside numbers in range, come out, each once; a journal cut short or
// longer than its entries gives nothing at all.
TEST(ReplaceJournal, DamagedOrForeignEntriesAreLeftOut)
{
    // Files outside the table; aside numbers outside the names; "earlier" neither 0 nor 1; a
    // file twice.
    EXPECT_EQ(read(journalOf({{0, 0, 1, 0}, {3, 0, 1, 0}, {-1, 0, 1, 0}})), Seen({"0 0 1"}));
    EXPECT_EQ(read(journalOf({{1, 8, 1, 0}, {1, -1, 1, 0}, {1, 2, 2, 0}})), Seen());
    EXPECT_EQ(read(journalOf({{2, 5, 0, 0}, {2, 1, 1, 0}})), Seen({"2 5 0"}));
    // Another build's table holds other files at these places: only the one in its place stays.
    EXPECT_EQ(read(journalOf({{0, 1, 1, 0}, {1, 0, 1, 0}, {2, 0, 1, 0}}, otherBuild)),
              Seen({"0 1 1"}));

    Image whole = journalOf({{0, 0, 1, 0}});
    struct Case {
        const char *what;
        Image image;
    } damaged[] = {
        {"empty", Image()},
        {"cut in its last mark", Image(whole.begin(), whole.end() - 1)},
        {"cut in its entry", Image(whole.begin(), whole.begin() + 12)},
        {"a byte more", whole},
        {"another first mark", whole},
        {"another count", whole},
        {"a count below its entries", journalOf({{0, 0, 1, 0}, {2, 0, 1, 0}})},
        {"a count past the payload's files", journalOf({{0, 0, 1, 0}, {1, 0, 1, 0}, {2, 0, 1, 0},
                                                        {0, 0, 1, 0}})},
    };
    damaged[3].image.push_back(0);
    damaged[4].image[0] ^= 1;
    damaged[5].image[4] = 2;
    damaged[6].image[4] = 1;
    for (const Case &c : damaged) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read(c.image), Seen({"cut"}));
    }
}
