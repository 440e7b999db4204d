// The extraction and the removal, on real files of the Wine prefix.
#include <gtest/gtest.h>

#include <direct.h>
#include <sys/stat.h>
#include <sys/utime.h>

#include <string>
#include <vector>

#include "payload/extraction.h"
#include "payload/inflateAhead.h"
#include "support/testPaths.h"

extern const PayloadTable sixOneOneTable;
extern const PayloadTable systemTable;
extern const PayloadTable lockedTable;
extern const PayloadTable mixedCaseTable;
extern const PayloadTable fullDiskTable;

namespace {

struct Call {
    std::string name;
    int percent;
    bool operator==(const Call &other) const
    {
        return name == other.name && percent == other.percent;
    }
};

std::ostream &operator<<(std::ostream &out, const Call &call)
{
    return out << "(\"" << call.name << "\", " << call.percent << ")";
}

std::vector<Call> calls;
HWND seenWindow;

void recordProgress(HWND window, const char *name, int percent)
{
    calls.push_back({name, percent});
    seenWindow = window;
}

std::string testData(const char *name)
{
    return readFile(buildFile(std::string("tests/payload/data/") + name));
}

struct Times {
    long long access = -1;
    long long modification = -1;
};

Times fileTimes(const std::string &path)
{
    Times times;
    struct __stat64 status;
    if (_stat64(path.c_str(), &status) == 0) {
        times.access = status.st_atime;
        times.modification = status.st_mtime;
    }
    return times;
}

void setModificationTime(const std::string &path, long long time)
{
    struct __utimbuf64 times = {time, time};
    ASSERT_EQ(_utime64(path.c_str(), &times), 0) << path;
}

void makeReadOnly(const std::string &path, const std::string &content)
{
    ASSERT_TRUE(writeFile(path, content));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

// Each test works in a fresh folder that is the current directory, as the data folder is, and
// runs with the number of inflating workers its parameter gives (0: the one-thread path).
class Extraction : public ::testing::TestWithParam<int32_t> {
protected:
    std::string folder;
    void SetUp() override
    {
        setInflateWorkers(GetParam());
        calls.clear();
        seenWindow = NULL;
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        name[name.find('/')] = '-';  // "Case/path": one folder per case and path
        folder = scratchFolder(name);
        ASSERT_EQ(_chdir(folder.c_str()), 0);
    }
    void TearDown() override
    {
        _chdir("C:\\");
        removeTree(folder);
    }
    std::string at(const std::string &name) const { return folder + "\\" + name; }
};

class Removal : public Extraction {};

std::string pathName(const ::testing::TestParamInfo<int32_t> &info)
{
    return info.param == 0 ? "oneThread" : std::to_string(info.param) + "workers";
}

}  // namespace

// Every case on both paths: with three workers, chunks are inflated well ahead of the writer.
INSTANTIATE_TEST_SUITE_P(Inflation, Extraction, ::testing::Values(0, 3), pathName);
INSTANTIATE_TEST_SUITE_P(Inflation, Removal, ::testing::Values(0, 3), pathName);

TEST_P(Extraction, ReportsEveryFileAndChunkAndWritesExactFiles)
{
    HWND window = GetDesktopWindow();  // any handle: it is only handed on
    ASSERT_EQ(extractPayloadTable(sixOneOneTable, window, recordProgress), EXTRACT_SUCCESS);
    std::vector<Call> expected = {
        {"velmorant.exe", 0},           {"velmorant.exe", 12},          {"velmorant.exe", 25},
        {"velmorant.exe", 37},          {"velmorant.exe", 50},          {"velmorant.exe", 62},
        {"velmorant.exe", 75},          {"velmorant.exe.manifest", 75}, {"velmorant.exe.manifest", 87},
        {"qxuninst.exe", 87},           {"qxuninst.exe", 100},          {"", 100},
        {"Done", 100},
    };
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(seenWindow, window);

    struct Written {
        const char *name;
        const char *source;
        long long time;
    } written[] = {
        {"velmorant.exe", "program.exe", 1087915477},
        {"velmorant.exe.manifest", "manifest.xml", 1081208669},
        {"qxuninst.exe", "uninstall.exe", 1091219033},
    };
    for (const Written &file : written) {
        SCOPED_TRACE(file.name);
        // The times first: reading the file would move its access time.
        Times times = fileTimes(at(file.name));
        EXPECT_EQ(times.modification, file.time);
        EXPECT_EQ(times.access, file.time);
        std::string content = readFile(at(file.name));
        EXPECT_EQ(content.size(), testData(file.source).size());
        EXPECT_TRUE(content == testData(file.source));
    }
}

// Workers (the parameter) against the one-thread path on a table of 1 + 20 + 1 chunks, more
// than the workers' slots: every slot is used again.
class WorkerOrder : public Extraction {};
INSTANTIATE_TEST_SUITE_P(Inflation, WorkerOrder, ::testing::Values(1, 2), pathName);

TEST_P(WorkerOrder, SameReportsAndFilesAsOneThread)
{
    std::vector<Call> reports[2];
    for (int32_t path = 0; path < 2; ++path) {
        SCOPED_TRACE(path);
        setInflateWorkers(path == 0 ? 0 : GetParam());
        calls.clear();
        ASSERT_EQ(extractPayloadTable(fullDiskTable, NULL, recordProgress), EXTRACT_SUCCESS);
        reports[path] = calls;
        EXPECT_TRUE(readFile(at("big.bin")) == testData("big.bin"));
        EXPECT_TRUE(readFile(at("keep.dat")) == testData("small.dat"));
        ASSERT_EQ(removePayloadTableFiles(fullDiskTable, NULL, NULL), 4);
    }
    EXPECT_EQ(reports[0].size(), 3u + 22u + 2u);  // each file, each chunk, the end
    EXPECT_EQ(reports[1], reports[0]);
}

TEST_P(Extraction, WithoutProgressRoutineWritesTheSameFiles)
{
    ASSERT_EQ(extractPayloadTable(sixOneOneTable, NULL, NULL), EXTRACT_SUCCESS);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
    EXPECT_TRUE(readFile(at("qxuninst.exe")) == testData("uninstall.exe"));
    EXPECT_EQ(fileTimes(at("velmorant.exe.manifest")).modification, 1081208669);
}

TEST_P(Extraction, DataFolderFilesAreOverwrittenEvenWhenNewer)
{
    ASSERT_TRUE(writeFile(at("velmorant.exe"), "a newer copy"));
    setModificationTime(at("velmorant.exe"), 1900000000);
    ASSERT_EQ(extractPayloadTable(sixOneOneTable, NULL, NULL), EXTRACT_SUCCESS);
    EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
    EXPECT_EQ(fileTimes(at("velmorant.exe")).modification, 1087915477);
}

// A library held by a running program cannot be opened; its copy stays and the rest goes on.
TEST_P(Extraction, LockedLibrariesArePassedOver)
{
    makeReadOnly(at("plugin.dll"), "old plugin");
    makeReadOnly(at("PLUGIN2.DLL"), "old plugin 2");
    ASSERT_EQ(extractPayloadTable(lockedTable, NULL, recordProgress), EXTRACT_SUCCESS);
    // 1 + 6 + 1 + 1 chunks: the passed-over files' chunks count as done.
    std::vector<Call> expected = {
        {"first.dat", 0},  {"first.dat", 11}, {"plugin.dll", 11}, {"PLUGIN2.DLL", 77},
        {"after.dat", 88}, {"after.dat", 100}, {"", 100},         {"Done", 100},
    };
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(readFile(at("plugin.dll")), "old plugin");
    EXPECT_EQ(readFile(at("PLUGIN2.DLL")), "old plugin 2");
    EXPECT_TRUE(readFile(at("after.dat")) == testData("small.dat"));
}

TEST_P(Extraction, OtherMixesOfCaseAreNotPassedOver)
{
    makeReadOnly(at("Mixed.Dll"), "old");
    EXPECT_EQ(extractPayloadTable(mixedCaseTable, NULL, NULL), EXTRACT_CANNOT_CREATE);
    EXPECT_TRUE(fileExists(at("first.dat")));
    EXPECT_FALSE(fileExists(at("after.dat")));
    EXPECT_EQ(readFile(at("Mixed.Dll")), "old");
    // The removal takes what was written and leaves the file it never opened.
    EXPECT_EQ(removePayloadTableFiles(mixedCaseTable, NULL, NULL), 4);
    EXPECT_FALSE(fileExists(at("first.dat")));
    EXPECT_EQ(readFile(at("Mixed.Dll")), "old");
}

// A stream damaged in the image: only verified bytes reach the file.
TEST_P(Extraction, DamagedChunkWritesNoGarbage)
{
    const PayloadTable &good = sixOneOneTable;
    ASSERT_EQ(good.chunkCounts[0], 6);
    struct Damage {
        const char *what;
        int32_t chunk;
        bool truncate;
    } damages[] = {{"flipped bytes", 2, false}, {"cut short", 0, true}};
    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.what);
        std::vector<unsigned char> stream(good.chunkData[0][damage.chunk],
                                          good.chunkData[0][damage.chunk] +
                                              good.chunkSizes[0][damage.chunk]);
        int32_t size = (int32_t)stream.size();
        if (damage.truncate)
            size -= 10;
        else
            for (size_t k = stream.size() / 2; k < stream.size() / 2 + 8; ++k)
                stream[k] ^= 0x5A;
        std::vector<const unsigned char *> chunks(good.chunkData[0], good.chunkData[0] + 6);
        std::vector<int32_t> sizes(good.chunkSizes[0], good.chunkSizes[0] + 6);
        chunks[damage.chunk] = stream.data();
        sizes[damage.chunk] = size;
        const unsigned char *const *chunkData[] = {chunks.data()};
        const int32_t *chunkSizes[] = {sizes.data()};
        PayloadTable damaged = {1, chunkData, chunkSizes, good.fileNames, good.chunkCounts,
                                good.fileTimes};
        EXPECT_EQ(extractPayloadTable(damaged, NULL, NULL), EXTRACT_CANNOT_WRITE);
        std::string content = readFile(at("velmorant.exe"));
        EXPECT_EQ(content.size(), 30000u * damage.chunk);
        EXPECT_TRUE(content == testData("program.exe").substr(0, content.size()));
    }
}

TEST_P(Extraction, EmptyTableNeedsNoDivision)
{
    PayloadTable empty = {0, NULL, NULL, NULL, NULL, NULL};
    EXPECT_EQ(extractPayloadTable(empty, NULL, recordProgress), EXTRACT_SUCCESS);
    std::vector<Call> expected = {{"", 100}, {"Done", 100}};
    EXPECT_EQ(calls, expected);
    calls.clear();
    EXPECT_EQ(removePayloadTableFiles(empty, NULL, recordProgress), 4);
    EXPECT_EQ(calls, std::vector<Call>({{"", 100}}));
}

TEST_P(Extraction, DestinationThatWouldNotFitIsRefused)
{
    std::string longName(1024, 'n');                          // 1025 bytes with its NUL
    std::string longSystemName = "SYSTEM/" + std::string(1020, 's');
    for (const std::string &name : {longName, longSystemName}) {
        const char *names[] = {name.c_str()};
        const PayloadTable &good = sixOneOneTable;
        PayloadTable table = {1, good.chunkData + 1, good.chunkSizes + 1, names,
                              good.chunkCounts + 1, good.fileTimes + 1};
        EXPECT_EQ(extractPayloadTable(table, NULL, NULL), EXTRACT_CANNOT_CREATE);
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\n*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);  // nothing was made
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

TEST_P(Removal, CountsFilesNotChunks)
{
    ASSERT_EQ(extractPayloadTable(sixOneOneTable, NULL, NULL), EXTRACT_SUCCESS);
    EXPECT_EQ(removePayloadTableFiles(sixOneOneTable, NULL, recordProgress), 4);
    std::vector<Call> expected = {{"velmorant.exe", 0}, {"velmorant.exe.manifest", 33},
                                  {"qxuninst.exe", 66}, {"", 100}};
    EXPECT_EQ(calls, expected);
    EXPECT_FALSE(fileExists(at("velmorant.exe")));
    EXPECT_FALSE(fileExists(at("velmorant.exe.manifest")));
    EXPECT_FALSE(fileExists(at("qxuninst.exe")));
}

TEST_P(Removal, MissingFileIsPassedOver)
{
    ASSERT_EQ(extractPayloadTable(sixOneOneTable, NULL, NULL), EXTRACT_SUCCESS);
    ASSERT_TRUE(DeleteFileA(at("velmorant.exe").c_str()));
    EXPECT_EQ(removePayloadTableFiles(sixOneOneTable, NULL, NULL), 4);
    EXPECT_FALSE(fileExists(at("qxuninst.exe")));
}

TEST_P(Removal, FileThatCannotBeDeletedEndsTheRemoval)
{
    ASSERT_EQ(extractPayloadTable(sixOneOneTable, NULL, NULL), EXTRACT_SUCCESS);
    // Readable but not deletable.
    ASSERT_TRUE(SetFileAttributesA(at("velmorant.exe.manifest").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(removePayloadTableFiles(sixOneOneTable, NULL, NULL), 0);
    EXPECT_FALSE(fileExists(at("velmorant.exe")));
    EXPECT_TRUE(fileExists(at("velmorant.exe.manifest")));
    EXPECT_TRUE(fileExists(at("qxuninst.exe")));  // not tried after the failure
}

// A failure on the first file must not take away the previous installation's uninstaller.
TEST_P(Removal, FilesTheRunNeverOpenedStay)
{
    makeReadOnly(at("velmorant.exe"), "previous program");
    ASSERT_TRUE(writeFile(at("qxuninst.exe"), "previous uninstaller"));
    EXPECT_EQ(extractPayloadTable(sixOneOneTable, NULL, NULL), EXTRACT_CANNOT_CREATE);
    EXPECT_EQ(removePayloadTableFiles(sixOneOneTable, NULL, NULL), 4);
    EXPECT_EQ(readFile(at("qxuninst.exe")), "previous uninstaller");
    EXPECT_EQ(readFile(at("velmorant.exe")), "previous program");
}

TEST_P(Removal, RemovesNothingOfATableItDidNotExtract)
{
    ASSERT_TRUE(writeFile(at("first.dat"), "user data"));
    ASSERT_EQ(extractPayloadTable(sixOneOneTable, NULL, NULL), EXTRACT_SUCCESS);
    EXPECT_EQ(removePayloadTableFiles(lockedTable, NULL, NULL), 4);
    EXPECT_EQ(readFile(at("first.dat")), "user data");
}

TEST_P(Extraction, ParentDirectories)
{
    ASSERT_TRUE(writeFile(at("plain"), "a file"));
    struct Case {
        std::string path;
        int result;
        std::vector<std::string> folders;  // made (relative to the test folder)
    } cases[] = {
        {at("a\\b/c\\file.txt"), 1, {"a", "a\\b", "a\\b\\c"}},  // absolute, C: passed over
        {"x\\file.txt", 1, {"x"}},                               // a one-letter relative folder
        {"y/z/file.txt", 1, {"y", "y\\z"}},
        {"nofolder.txt", 1, {}},
        {"plain\\file.txt", 1, {}},              // something exists there: left alone
        {"plain\\deeper\\file.txt", 0, {}},      // a folder below a file cannot be made
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(makeParentDirectories(c.path.c_str()), c.result);
        for (const std::string &made : c.folders)
            EXPECT_TRUE(folderExists(at(made))) << made;
    }
    EXPECT_EQ(readFile(at("plain")), "a file");
    EXPECT_FALSE(fileExists(at("nofolder.txt")));
    EXPECT_FALSE(folderExists(at("x\\file.txt")));
}

// The system directory of the test prefix is real: each case puts its own copy there.
class SystemDirectory : public Extraction {
protected:
    std::string keep = systemFolder() + "\\vmtest-keep.dat";
    std::string inner = systemFolder() + "\\vmtest-dir\\inner.dat";
    void TearDown() override
    {
        SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(keep.c_str());
        DeleteFileA(inner.c_str());
        RemoveDirectoryA((systemFolder() + "\\vmtest-dir").c_str());
        Extraction::TearDown();
    }
};
INSTANTIATE_TEST_SUITE_P(Inflation, SystemDirectory, ::testing::Values(0, 3), pathName);

TEST_P(SystemDirectory, NewerCopyStaysOlderEqualOrMissingIsWritten)
{
    const long long stored = 1000000000;
    struct Case {
        const char *what;
        long long present;  // -1: no copy
        bool written;
    } cases[] = {
        {"no copy", -1, true},
        {"newer copy", stored + 1, false},
        {"same time", stored, true},
        {"older copy", stored - 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        DeleteFileA(keep.c_str());
        if (c.present >= 0) {
            ASSERT_TRUE(writeFile(keep, "installed copy"));
            setModificationTime(keep, c.present);
        }
        ASSERT_EQ(extractPayloadTable(systemTable, NULL, recordProgress), EXTRACT_SUCCESS);
        if (c.written) {
            EXPECT_TRUE(readFile(keep) == testData("small.dat"));
            EXPECT_EQ(fileTimes(keep).modification, stored);
        } else {
            EXPECT_EQ(readFile(keep), "installed copy");
            EXPECT_EQ(fileTimes(keep).modification, c.present);
        }
        // Five files of one chunk each; a passed-over file's chunk counts as done.
        std::vector<Call> expected = {{"SYSTEM/vmtest-keep.dat", 0}};
        if (c.written)
            expected.push_back({"SYSTEM/vmtest-keep.dat", 20});
        std::vector<Call> rest = {
            {"SYSTEM\\vmtest-dir\\inner.dat", 20}, {"SYSTEM\\vmtest-dir\\inner.dat", 40},
            {"system/lower.dat", 40},              {"system/lower.dat", 60},
            {"SYSTEMx/other.dat", 60},             {"SYSTEMx/other.dat", 80},
            {"after.dat", 80},                     {"after.dat", 100},
            {"", 100},                             {"Done", 100}};
        expected.insert(expected.end(), rest.begin(), rest.end());
        EXPECT_EQ(calls, expected);
    }
    // The folder below the system directory was made; the lower-case and "SYSTEMx" names are
    // folders of the data folder.
    EXPECT_TRUE(readFile(inner) == testData("manifest.xml"));
    EXPECT_TRUE(fileExists(at("system\\lower.dat")));
    EXPECT_TRUE(fileExists(at("SYSTEMx\\other.dat")));
    EXPECT_FALSE(fileExists(systemFolder() + "\\lower.dat"));

    // The removal never reaches into the system directory.
    EXPECT_EQ(removePayloadTableFiles(systemTable, NULL, NULL), 4);
    EXPECT_TRUE(fileExists(keep));
    EXPECT_TRUE(fileExists(inner));
    EXPECT_FALSE(fileExists(at("system\\lower.dat")));
    EXPECT_FALSE(fileExists(at("after.dat")));
}

// T: is a 200 KB tmpfs: the extraction runs out of room in the middle of a file.
class FullDisk : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override
    {
        setInflateWorkers(GetParam());
        ASSERT_EQ(_chdir("T:\\"), 0) << "the harness maps a small drive T:";
    }
    void TearDown() override { _chdir("C:\\"); }
};
INSTANTIATE_TEST_SUITE_P(Inflation, FullDisk, ::testing::Values(0, 3), pathName);

TEST_P(FullDisk, ShortWriteGivesTwoAndTheRemovalTakesWhatWasWritten)
{
    ASSERT_TRUE(writeFile("T:\\keep.dat", "the user's file"));
    EXPECT_EQ(extractPayloadTable(fullDiskTable, NULL, NULL), EXTRACT_CANNOT_WRITE);
    EXPECT_TRUE(readFile("T:\\small.dat") == testData("small.dat"));
    std::string partial = readFile("T:\\big.bin");
    EXPECT_LT(partial.size(), testData("big.bin").size());
    EXPECT_TRUE(partial == testData("big.bin").substr(0, partial.size()));
    // Closed: it can be opened without sharing.
    HANDLE check = CreateFileA("T:\\big.bin", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(check, INVALID_HANDLE_VALUE);
    CloseHandle(check);

    EXPECT_EQ(removePayloadTableFiles(fullDiskTable, NULL, NULL), 4);
    EXPECT_FALSE(fileExists("T:\\small.dat"));
    EXPECT_FALSE(fileExists("T:\\big.bin"));
    EXPECT_EQ(readFile("T:\\keep.dat"), "the user's file");
}
