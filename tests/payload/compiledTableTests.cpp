// The payload compiled into the setup program: every chunk inflates to its piece of the
// product's file, and the table keeps the promises the extraction relies on.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "core/payloadTable.h"
#include "support/testPaths.h"

// The product payload linked into this test program.
extern const PayloadTable payloadTable;

TEST(CompiledTable, ChunksInflateToTheProductFiles)
{
    const PayloadTable &table = payloadTable;
    ASSERT_EQ(table.fileCount, 3);
    struct Expected {
        const char *name;
        int32_t time;
        std::string source;
    } expected[] = {
        {"velmorant.exe", 1087915477, buildFile("product/velmorant.exe")},
        {"velmorant.exe.manifest", 1081208669, sourceFile("product/velmorant.exe.manifest")},
        {"qxuninst.exe", 1091219033, buildFile("uninstall/qxuninst.exe")},
    };
    int32_t total = 0;
    size_t bytes = 0;
    for (int32_t i = 0; i < table.fileCount; ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_STREQ(table.fileNames[i], expected[i].name);
        EXPECT_EQ(table.fileTimes[i], expected[i].time);
        ASSERT_GE(table.chunkCounts[i], 1);
        total += table.chunkCounts[i];
        std::string joined;
        for (int32_t j = 0; j < table.chunkCounts[i]; ++j) {
            const unsigned char *stream = table.chunkData[i][j];
            EXPECT_EQ(stream[0], 0x78);  // deflate with a 32 KB window
            std::string piece(32000, '\0');
            uLongf length = (uLongf)piece.size();
            ASSERT_EQ(uncompress((Bytef *)&piece[0], &length, stream, (uLong)table.chunkSizes[i][j]),
                      Z_OK);
            if (j + 1 < table.chunkCounts[i])
                EXPECT_EQ(length, 30000u);
            else
                EXPECT_TRUE(length >= 1 && length <= 30000);
            joined.append(piece, 0, length);
        }
        std::string original = readFile(expected[i].source);
        ASSERT_FALSE(original.empty()) << expected[i].source;
        EXPECT_TRUE(joined == original);
        bytes += original.size();
    }
    EXPECT_GE(total, 1);
    // The size the uninstall entry states: the files' bytes in KB, rounded up.
    EXPECT_EQ((size_t)table.installedKilobytes, (bytes + 1023) / 1024);
}
