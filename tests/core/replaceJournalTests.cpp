#include "core/replaceJournal.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const char *const names[] = {"velmorant.exe", "SYSTEM/shared.dll", "sub\\notes.txt"};

struct Read {
    int whole;
    std::vector<std::string> entries;  // "<file> <aside> <earlier>"
};

Read readJournal(const std::string &text)
{
    JournalEntry entries[3];
    int32_t count = -1;
    Read read;
    read.whole = parseJournal(text.data(), text.size(), names, 3, entries, &count);
    for (int32_t k = 0; k < count; ++k)
        read.entries.push_back(std::to_string(entries[k].file) + " " +
                               std::to_string(entries[k].aside) + " " +
                               std::to_string(entries[k].earlier));
    return read;
}

}  // namespace

TEST(ReplaceJournal, WrittenJournalReadsBack)
{
    JournalEntry written[] = {{2, 0, 1}, {0, 7, 1}, {1, 3, 0}};
    std::vector<char> text(journalLimit(names, 3));
    ASSERT_TRUE(formatJournal(text.data(), text.size(), written, 3, names));
    Read read = readJournal(text.data());
    EXPECT_EQ(read.whole, 1);
    EXPECT_EQ(read.entries, std::vector<std::string>({"2 0 1", "0 7 1", "1 3 0"}));
    // The limit holds a journal of every file; one byte fewer than its text is refused whole.
    JournalEntry all[] = {{0, 7, 1}, {1, 7, 1}, {2, 7, 1}};
    ASSERT_TRUE(formatJournal(text.data(), text.size(), all, 3, names));
    EXPECT_FALSE(formatJournal(text.data(), strlen(text.data()), all, 3, names));
    EXPECT_STREQ(text.data(), "");
}

// The journal lies where others may write: whatever it holds, only payload files with aside
// numbers in range come out, each once, and a journal cut short gives nothing at all.
TEST(ReplaceJournal, DamagedOrForeignEntriesAreLeftOut)
{
    const std::string head = "velmorant replace journal 1\n";
    Read read = readJournal(head + std::string("0 1 velmorant.exe\0x\n", 20) +
                            "0 1 velmorant.exe\n"
                            "1 1 ..\\..\\windows\\system32\\shared.dll\n"  // not a stored name
                            "1 1 C:\\velmorant.exe\n"
                            "9 1 sub\\notes.txt\n"   // no such aside name
                            "1 2 sub\\notes.txt\n"   // neither 0 nor 1
                            "12 1 sub\\notes.txt\n"
                            "1 1 velmorant.exe\n"    // the same file again
                            "2 0 velmorant.exe.vminst-old\n"
                            "1 1 sub\\notes.tx\n"
                            "\n"
                            "3 0 SYSTEM/shared.dll\r\n"  // a line end of another system
                            "4 0 SYSTEM/shared.dll\n"
                            "end\n");
    EXPECT_EQ(read.whole, 1);
    EXPECT_EQ(read.entries, std::vector<std::string>({"0 0 1", "1 4 0"}));

    std::string whole = head + "0 1 velmorant.exe\nend\n";
    struct Case {
        const char *what;
        std::string text;
    } damaged[] = {
        {"cut before its end", head + "0 1 velmorant.exe\n"},
        {"cut in its last line", whole.substr(0, whole.size() - 1)},
        {"cut in an entry", head + "0 1 velm"},
        {"another first line", "velmorant replace journal 2\n0 1 velmorant.exe\nend\n"},
        {"text after its end", whole + "0 1 velmorant.exe\n"},
        {"no line end before its end", head + "0 1 velmorant.exeend\n"},
        {"empty", ""},
    };
    for (const Case &c : damaged) {
        SCOPED_TRACE(c.what);
        Read cut = readJournal(c.text);
        EXPECT_EQ(cut.whole, 0);
        EXPECT_TRUE(cut.entries.empty());
    }
}

TEST(ReplaceJournal, AsideNamesAreNumberedFromTheSecond)
{
    char side[40];
    ASSERT_TRUE(buildAsideName(side, sizeof side, "a\\b.exe", 0));
    EXPECT_STREQ(side, "a\\b.exe.vminst-old");
    ASSERT_TRUE(buildAsideName(side, sizeof side, "a\\b.exe", ASIDE_NAME_COUNT - 1));
    EXPECT_STREQ(side, "a\\b.exe.vminst-old7");
    EXPECT_FALSE(buildAsideName(side, sizeof side, "a\\b.exe", ASIDE_NAME_COUNT));
    EXPECT_STREQ(side, "");
    EXPECT_FALSE(buildAsideName(side, sizeof side, "a\\b.exe", -1));
    EXPECT_FALSE(buildAsideName(side, 18, "a\\b.exe", 0));
}
