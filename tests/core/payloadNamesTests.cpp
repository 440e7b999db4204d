#include "core/payloadNames.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "codePage932.h"

TEST(PayloadNames, SystemPrefixIsExactlySevenCharacters)
{
    struct Case {
        const char *name;
        bool prefixed;
    } cases[] = {
        {"SYSTEM/x.dll", true},  {"SYSTEM\\x.dll", true},  {"SYSTEM/", true},
        {"system/x.dll", false}, {"System\\x.dll", false}, {"SYSTEMx/x.dll", false},
        {"SYSTEM", false},       {"SYSTEM.dll", false},    {"", false},
        {"xSYSTEM/a", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hasSystemPrefix(c.name) != 0, c.prefixed) << c.name;
}

TEST(PayloadNames, LibraryNamesAreCaseSensitive)
{
    EXPECT_TRUE(pathNamesDll("plugin.dll"));
    EXPECT_TRUE(pathNamesDll("C:\\DLLS\\plugin.bin"));
    EXPECT_TRUE(pathNamesDll("a.dllx"));
    EXPECT_FALSE(pathNamesDll("Mixed.Dll"));
    EXPECT_FALSE(pathNamesDll("mixed.dLl"));
    EXPECT_FALSE(pathNamesDll("data.bin"));
}

TEST(PayloadNames, PercentagesTruncateAndSurviveAnEmptyTable)
{
    EXPECT_EQ(percentDone(1, 8), 12);
    EXPECT_EQ(percentDone(3, 8), 37);
    EXPECT_EQ(percentDone(7, 8), 87);
    EXPECT_EQ(percentDone(8, 8), 100);
    EXPECT_EQ(percentDone(2, 3), 66);
    EXPECT_EQ(percentDone(0, 0), 100);
    EXPECT_EQ(percentDone(21474836, 21474836), 100);
    // Past 21474836 done * 100 no longer fits 32 bits.
    EXPECT_EQ(percentDone(21474837, 42949673), 50);
    EXPECT_EQ(percentDone(2000000000, 2147483647), 93);
    EXPECT_EQ(percentDone(2147483647, 2147483647), 100);
}

TEST(PayloadNames, SystemDestination)
{
    char path[64];
    ASSERT_TRUE(buildSystemDestination(path, sizeof path, "C:\\windows\\system32", "SYSTEM/a\\b.dll",
                                       singleByte));
    EXPECT_STREQ(path, "C:\\windows\\system32\\a\\b.dll");  // separators passed on unchanged
    ASSERT_TRUE(buildSystemDestination(path, sizeof path, "C:\\", "SYSTEM\\b.dll", singleByte));
    EXPECT_STREQ(path, "C:\\b.dll");
    ASSERT_TRUE(buildSystemDestination(path, sizeof path, "D:/sys/", "SYSTEM/b.dll", singleByte));
    EXPECT_STREQ(path, "D:/sys/b.dll");
    // A directory ending in a double-byte character whose second byte is "\" still needs one.
    ASSERT_TRUE(buildSystemDestination(path, sizeof path, "C:\\" HYO, "SYSTEM/b.dll", codePage932));
    EXPECT_STREQ(path, "C:\\" HYO "\\b.dll");
    ASSERT_TRUE(buildSystemDestination(path, sizeof path, "C:\\" HYO "\\", "SYSTEM/b.dll", codePage932));
    EXPECT_STREQ(path, "C:\\" HYO "\\b.dll");
    // An unknown system directory is refused like a path that does not fit: the buffer is
    // left empty, not holding whatever was there (found by the fuzzer).
    strcpy(path, "stale");
    EXPECT_FALSE(buildSystemDestination(path, sizeof path, "", "SYSTEM/b.dll", singleByte));
    EXPECT_STREQ(path, "");
    std::string longName = "SYSTEM/" + std::string(60, 'n');
    EXPECT_FALSE(buildSystemDestination(path, sizeof path, "C:\\w", longName.c_str(), singleByte));
}

namespace {

// The folders makeParentDirectories makes, in order, as the walk gives them.
std::vector<std::string> parentFolders(const char *path, const LeadBytes &lead)
{
    std::vector<std::string> folders;
    size_t position = 0;
    for (size_t length; (length = nextParentFolder(path, &position, lead)) != 0;)
        folders.push_back(std::string(path, length));
    return folders;
}

}  // namespace

TEST(PayloadNames, ParentFoldersStepOverDoubleByteCharacters)
{
    typedef std::vector<std::string> Folders;
    EXPECT_EQ(parentFolders("C:\\a\\b/c\\f.txt", singleByte), Folders({"C:\\a", "C:\\a\\b", "C:\\a\\b/c"}));
    EXPECT_EQ(parentFolders("x\\f.txt", singleByte), Folders({"x"}));  // a one-letter folder
    EXPECT_EQ(parentFolders("\\top\\f.txt", singleByte), Folders({"\\top"}));
    EXPECT_EQ(parentFolders("f.txt", singleByte), Folders());
    // "表" ends in the byte of "\": one folder, not a cut character and then the folder.
    EXPECT_EQ(parentFolders("a" HYO "\\b\\f.txt", codePage932), Folders({"a" HYO, "a" HYO "\\b"}));
    EXPECT_EQ(parentFolders(HYO "\\f.txt", codePage932), Folders({HYO}));
    EXPECT_EQ(parentFolders("a" HYO "\\f.txt", singleByte),
              Folders({"a\x95", "a" HYO}));  // what the single-byte walk makes of it
}
