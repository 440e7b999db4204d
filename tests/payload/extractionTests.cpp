// The extraction and the removal, on real files of the Wine prefix.
#include <gtest/gtest.h>

#include <direct.h>
#include <sys/stat.h>
#include <sys/utime.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/replaceJournal.h"
#include "payload/extraction.h"
#include "payload/inflateAhead.h"
#include "payload/payloadCheck.h"
#include "support/testPaths.h"

extern const PayloadTable sixOneOneTable;
extern const PayloadTable systemTable;
extern const PayloadTable lockedTable;
extern const PayloadTable mixedCaseTable;
extern const PayloadTable fullDiskTable;
extern const PayloadTable payloadTable;

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

// The names a run gives files beside their final ones, found in folder.
std::vector<std::string> leftovers(const std::string &folder)
{
    return matchingNames(folder + "\\*.vminst-*");
}

// Every extraction of these tests runs on a thread of its own and is given a bound: a deadlock
// of the inflating workers then fails the test that meets it, and says so, instead of holding
// the program until the harness ends it.
const DWORD extractionBoundMs = 10000;

struct ExtractionJob {
    const PayloadTable *table;
    HWND window;
    ProgressRoutine progress;
    int result;
    char named[1024];
};

DWORD WINAPI runExtraction(LPVOID parameter)
{
    ExtractionJob *job = static_cast<ExtractionJob *>(parameter);
    job->result = extractPayloadTable(*job->table, job->window, job->progress, job->named,
                                      sizeof job->named);
    return 0;
}

// The files the last extraction named: not restored, or lost.
std::string named;

int extract(const PayloadTable &table, HWND window = NULL, ProgressRoutine progress = NULL)
{
    named = "<none>";
    // Left allocated when the extraction is stuck: its thread still uses it.
    ExtractionJob *job = new ExtractionJob{&table, window, progress, -1, ""};
    HANDLE thread = CreateThread(NULL, 0, runExtraction, job, 0, NULL);
    if (thread == NULL) {
        ADD_FAILURE() << "no thread for the extraction";
        delete job;
        return -1;
    }
    DWORD waited = WaitForSingleObject(thread, extractionBoundMs);
    CloseHandle(thread);
    if (waited != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the extraction is stuck: no result within " << extractionBoundMs / 1000
                      << " s (the writer and the inflating workers wait for each other)";
        return -1;
    }
    int result = job->result;
    named = job->named;
    delete job;
    return result;
}

// The renames of an extraction, with what another program does at the first rename to a
// name: it opens a file (none: NULL) without leave to write or delete it, holding it until the
// extraction ends, and the rename fails unless moves.
struct HeldAtRename {
    const char *to;
    const char *file;
    BOOL moves;
};
HeldAtRename heldAtRename;
bool heldYet;
HANDLE held = INVALID_HANDLE_VALUE;

BOOL WINAPI moveAndHold(LPCSTR from, LPCSTR to)
{
    if (heldYet || strcmp(to, heldAtRename.to) != 0)
        return MoveFileA(from, to);
    heldYet = true;
    if (heldAtRename.file != NULL) {
        held = CreateFileA(heldAtRename.file, GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, 0, NULL);
        EXPECT_NE(held, INVALID_HANDLE_VALUE) << heldAtRename.file;
    }
    return heldAtRename.moves && MoveFileA(from, to);
}
const ExtractionCalls holdingCalls = {moveAndHold};

int extractHolding(const PayloadTable &table, const HeldAtRename &hold)
{
    heldAtRename = hold;
    heldYet = false;
    setExtractionCalls(&holdingCalls);
    int result = extract(table);
    setExtractionCalls(NULL);
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    return result;
}

// Each test works in a fresh folder that is the current directory, as the data folder is, on
// the path its parameter names: the one-thread path (0) or inflating workers.
class Extraction : public ::testing::TestWithParam<int32_t> {
protected:
    std::string folder;
    void SetUp() override
    {
        setInflateWorkers(GetParam());
        calls.clear();
        seenWindow = NULL;
        // A parameterised test's name holds a "/": one folder per test and path.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char &c : name)
            c = c == '/' ? '-' : c;
        folder = scratchFolder(name);
        ASSERT_EQ(_chdir(folder.c_str()), 0);
    }
    void TearDown() override
    {
        setInflateWorkers(-1);
        _chdir("C:\\");
        removeTree(folder);
    }
    std::string at(const std::string &name) const { return folder + "\\" + name; }
};

std::string pathName(const ::testing::TestParamInfo<int32_t> &info)
{
    return info.param == 0 ? "OneThread" : "Workers" + std::to_string(info.param);
}

// An earlier installation in the folder, each file with content and a time of its own.
class Upgrade : public Extraction {
protected:
    const char *names[4] = {"velmorant.exe", "velmorant.exe.manifest", "qxuninst.exe", "notes.txt"};
    void SetUp() override
    {
        Extraction::SetUp();
        for (const char *name : names) {
            ASSERT_TRUE(writeFile(at(name), std::string("earlier ") + name));
            setModificationTime(at(name), 1200000000);
        }
    }
    void expectEarlierFiles()
    {
        for (const char *name : names) {
            SCOPED_TRACE(name);
            EXPECT_EQ(fileTimes(at(name)).modification, 1200000000);
            EXPECT_EQ(readFile(at(name)), std::string("earlier ") + name);
        }
        EXPECT_EQ(leftovers(folder), std::vector<std::string>());
    }
};

}  // namespace

TEST_P(Extraction, ReportsEveryFileAndChunkAndWritesExactFiles)
{
    HWND window = GetDesktopWindow();  // any handle: it is only handed on
    ASSERT_EQ(extract(sixOneOneTable, window, recordProgress), EXTRACT_SUCCESS);
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

TEST_P(Extraction, WithoutProgressRoutineWritesTheSameFiles)
{
    ASSERT_EQ(extract(sixOneOneTable), EXTRACT_SUCCESS);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
    EXPECT_TRUE(readFile(at("qxuninst.exe")) == testData("uninstall.exe"));
    EXPECT_EQ(fileTimes(at("velmorant.exe.manifest")).modification, 1081208669);
}

TEST_P(Extraction, DataFolderFilesAreOverwrittenEvenWhenNewer)
{
    ASSERT_TRUE(writeFile(at("velmorant.exe"), "a newer copy"));
    setModificationTime(at("velmorant.exe"), 1900000000);
    ASSERT_EQ(extract(sixOneOneTable), EXTRACT_SUCCESS);
    EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
    EXPECT_EQ(fileTimes(at("velmorant.exe")).modification, 1087915477);
}

// A library held by a running program cannot be opened; its copy stays and the rest goes on.
// Held, the system refuses it as denied (a read-only copy stands for that) or as a sharing
// violation (open without leave to write).
TEST_P(Extraction, LockedLibrariesArePassedOver)
{
    makeReadOnly(at("plugin.dll"), "old plugin");
    ASSERT_TRUE(writeFile(at("PLUGIN2.DLL"), "old plugin 2"));
    HANDLE running = CreateFileA(at("PLUGIN2.DLL").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                 OPEN_EXISTING, 0, NULL);
    ASSERT_EQ(extract(lockedTable, NULL, recordProgress), EXTRACT_SUCCESS);
    CloseHandle(running);
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
    EXPECT_EQ(extract(mixedCaseTable), EXTRACT_CANNOT_CREATE);
    // The file written before is taken back; the one that stopped the run is as it was.
    EXPECT_FALSE(fileExists(at("first.dat")));
    EXPECT_FALSE(fileExists(at("after.dat")));
    EXPECT_EQ(readFile(at("Mixed.Dll")), "old");
    EXPECT_EQ(leftovers(folder), std::vector<std::string>());
}

// A copy of the six-one-one table with one stream of one file flipped or cut short.
struct DamagedTable {
    std::vector<unsigned char> stream;
    std::vector<const unsigned char *> chunks[3];
    std::vector<int32_t> sizes[3];
    const unsigned char *const *chunkData[3];
    const int32_t *chunkSizes[3];
    PayloadTable table;
    DamagedTable(int32_t file, int32_t chunk, bool truncate)
    {
        const PayloadTable &good = sixOneOneTable;
        for (int32_t i = 0; i < 3; ++i) {
            chunks[i].assign(good.chunkData[i], good.chunkData[i] + good.chunkCounts[i]);
            sizes[i].assign(good.chunkSizes[i], good.chunkSizes[i] + good.chunkCounts[i]);
        }
        stream.assign(chunks[file][chunk], chunks[file][chunk] + sizes[file][chunk]);
        if (truncate)
            sizes[file][chunk] -= 10;
        else
            for (size_t k = stream.size() / 2; k < stream.size() / 2 + 8; ++k)
                stream[k] ^= 0x5A;
        chunks[file][chunk] = stream.data();
        for (int32_t i = 0; i < 3; ++i) {
            chunkData[i] = chunks[i].data();
            chunkSizes[i] = sizes[i].data();
        }
        table = {3, chunkData, chunkSizes, good.fileNames, good.chunkCounts, good.fileTimes,
                 good.fileChecks, good.installedKilobytes};
    }
};

// The check the program makes at its start: every generated table passes it, a flipped byte or
// a stream cut short anywhere fails it, and so does a table without recorded values.
TEST(PayloadCheck, FindsDamageAnywhere)
{
    for (const PayloadTable *table : {&payloadTable, &sixOneOneTable, &systemTable, &lockedTable,
                                      &mixedCaseTable, &fullDiskTable})
        EXPECT_EQ(payloadTableIntact(*table), 1) << table->fileNames[0];
    EXPECT_EQ(payloadTableIntact(DamagedTable(0, 0, false).table), 0);
    EXPECT_EQ(payloadTableIntact(DamagedTable(2, 0, true).table), 0);
    PayloadTable unchecked = sixOneOneTable;
    unchecked.fileChecks = NULL;
    EXPECT_EQ(payloadTableIntact(unchecked), 0);
}

// A stream damaged in the image: no file of it reaches a final name.
TEST_P(Extraction, DamagedChunkWritesNothing)
{
    struct Damage {
        const char *what;
        int32_t file;
        int32_t chunk;
        bool truncate;
    } damages[] = {{"flipped bytes", 0, 2, false}, {"last file cut short", 2, 0, true}};
    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.what);
        DamagedTable damaged(damage.file, damage.chunk, damage.truncate);
        EXPECT_EQ(extract(damaged.table), EXTRACT_CANNOT_WRITE);
        EXPECT_FALSE(fileExists(at("velmorant.exe")));
        EXPECT_FALSE(fileExists(at("velmorant.exe.manifest")));
        EXPECT_FALSE(fileExists(at("qxuninst.exe")));
        EXPECT_EQ(leftovers(folder), std::vector<std::string>());
    }
}

TEST_P(Extraction, EmptyTableNeedsNoDivision)
{
    PayloadTable empty = {0, NULL, NULL, NULL, NULL, NULL, NULL, 0};
    EXPECT_EQ(extract(empty, NULL, recordProgress), EXTRACT_SUCCESS);
    std::vector<Call> expected = {{"", 100}, {"Done", 100}};
    EXPECT_EQ(calls, expected);
}

TEST_P(Extraction, DestinationThatWouldNotFitIsRefused)
{
    std::string longName(1024, 'n');                          // 1025 bytes with its NUL
    std::string longSystemName = "SYSTEM/" + std::string(1020, 's');
    for (const std::string &name : {longName, longSystemName}) {
        const char *names[] = {name.c_str()};
        const PayloadTable &good = sixOneOneTable;
        PayloadTable table = {1, good.chunkData + 1, good.chunkSizes + 1, names,
                              good.chunkCounts + 1, good.fileTimes + 1, good.fileChecks + 1, 0};
        EXPECT_EQ(extract(table), EXTRACT_CANNOT_CREATE);
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\n*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);  // nothing was made
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

// Whatever stops the run, before or after the first final name is replaced, every earlier file
// is back as it was and nothing of the run is left. Then a run without a fault replaces them.
TEST_P(Upgrade, EveryFailureKeepsEveryEarlierFile)
{
    {
        SCOPED_TRACE("the last file held open: its replacement fails after the others'");
        HANDLE held = CreateFileA(at("qxuninst.exe").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(extract(sixOneOneTable), EXTRACT_CANNOT_CREATE);
        CloseHandle(held);
        expectEarlierFiles();
    }
    {
        SCOPED_TRACE("the last file read-only");
        ASSERT_TRUE(SetFileAttributesA(at("qxuninst.exe").c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(extract(sixOneOneTable), EXTRACT_CANNOT_CREATE);
        ASSERT_TRUE(SetFileAttributesA(at("qxuninst.exe").c_str(), FILE_ATTRIBUTE_NORMAL));
        expectEarlierFiles();
    }
    {
        SCOPED_TRACE("the last file's chunk damaged");
        DamagedTable damaged(2, 0, false);
        EXPECT_EQ(extract(damaged.table), EXTRACT_CANNOT_WRITE);
        expectEarlierFiles();
    }
    // A run after a failed one: it first puts back what that one left, then fails itself.
    DamagedTable damagedLast(2, 0, false);
    {
        SCOPED_TRACE("the journal held without leave to delete it when it is to go");
        EXPECT_EQ(extractHolding(sixOneOneTable, {"velmorant.exe", "velmorant.vminst-journal", TRUE}),
                  EXTRACT_CANNOT_CREATE);
        EXPECT_TRUE(fileExists(at("velmorant.vminst-journal")));  // with the new copies
        EXPECT_EQ(extract(damagedLast.table), EXTRACT_CANNOT_WRITE);
        expectEarlierFiles();
    }
    {
        SCOPED_TRACE("the program held when it is to go back, the uninstaller failing");
        EXPECT_EQ(extractHolding(sixOneOneTable, {"qxuninst.exe", "velmorant.exe", FALSE}),
                  EXTRACT_NOT_RESTORED);
        EXPECT_EQ(named, at("velmorant.exe"));
        EXPECT_EQ(extract(damagedLast.table), EXTRACT_CANNOT_WRITE);
        expectEarlierFiles();
    }
    ASSERT_EQ(extract(sixOneOneTable), EXTRACT_SUCCESS);
    EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
    EXPECT_TRUE(readFile(at("qxuninst.exe")) == testData("uninstall.exe"));
    EXPECT_EQ(readFile(at("notes.txt")), "earlier notes.txt");
    EXPECT_EQ(leftovers(folder), std::vector<std::string>());
}

// What earlier runs left: a killed run's cut new copy, beside a file that this run never
// reaches (it fails in its first file), and an earlier copy that a completed run moved aside.
// The next run takes both away before it writes, also when it then fails.
TEST_P(Upgrade, LeftoversOfEarlierRunsAreTakenAwayFirst)
{
    ASSERT_TRUE(writeFile(at("qxuninst.exe.vminst-new"), "cut"));
    ASSERT_TRUE(writeFile(at("velmorant.exe.manifest.vminst-old"), "older manifest"));
    DamagedTable damaged(0, 2, false);
    EXPECT_EQ(extract(damaged.table), EXTRACT_CANNOT_WRITE);
    expectEarlierFiles();
}

// A stopped run's journal whose earlier copies were deleted since, one after its new copy
// took the final name, one before: both are named as lost, their entries dropped, and the
// run installs them again; a later run names nothing.
TEST_P(Upgrade, EarlierCopiesDeletedSinceAreNamedOnceAndInstalledAgain)
{
    JournalEntry entries[] = {{0, 0, 1, 0}, {1, 0, 1, 0}};
    std::string journal(journalSize(2), '\0');
    formatJournal(reinterpret_cast<unsigned char *>(&journal[0]), entries, 2,
                  sixOneOneTable.fileNames);
    ASSERT_TRUE(writeFile(at("velmorant.vminst-journal"), journal));
    ASSERT_TRUE(writeFile(at("velmorant.exe"), "the stopped run's"));
    ASSERT_TRUE(MoveFileA(at("velmorant.exe.manifest").c_str(),
                          at("velmorant.exe.manifest.vminst-new").c_str()));
    ASSERT_EQ(extract(sixOneOneTable), EXTRACT_SUCCESS);
    EXPECT_EQ(named, at("velmorant.exe") + "\r\n" + at("velmorant.exe.manifest"));
    EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
    EXPECT_TRUE(readFile(at("velmorant.exe.manifest")) == testData("manifest.xml"));
    EXPECT_EQ(leftovers(folder), std::vector<std::string>());
    ASSERT_EQ(extract(sixOneOneTable), EXTRACT_SUCCESS);
    EXPECT_EQ(named, "");
}

// A link planted at a temporary name to a file elsewhere, which another program holds so that
// the link cannot be taken away, is never written through: the run stops before it replaces
// anything. A final name that is one of two links to a file is replaced like any other: the
// other name keeps the earlier file.
TEST_P(Upgrade, LinksToFilesElsewhereAreNeverWrittenThrough)
{
    ASSERT_EQ(_mkdir(at("elsewhere").c_str()), 0);
    std::string target = at("elsewhere\\precious.dat");
    ASSERT_TRUE(writeFile(target, "precious"));
    {
        SCOPED_TRACE("a link at a temporary name");
        std::string planted = at("qxuninst.exe.vminst-new");
        ASSERT_TRUE(CreateHardLinkA(planted.c_str(), target.c_str(), NULL));
        HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(extract(sixOneOneTable), EXTRACT_CANNOT_CREATE);
        CloseHandle(held);
        EXPECT_EQ(readFile(target), "precious");
        ASSERT_TRUE(DeleteFileA(planted.c_str()));
        expectEarlierFiles();
    }
    {
        SCOPED_TRACE("a final name with a second link");
        std::string link = at("elsewhere\\velmorant.exe");
        ASSERT_TRUE(CreateHardLinkA(link.c_str(), at("velmorant.exe").c_str(), NULL));
        EXPECT_EQ(extract(sixOneOneTable), EXTRACT_SUCCESS);
        EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
        EXPECT_EQ(readFile(link), "earlier velmorant.exe");
    }
}

// Each upgrade while programs hold earlier copies takes the first free aside name, of eight;
// with all eight taken the run replaces nothing. (A read-only copy stands for a held one:
// neither can be deleted.)
TEST_P(Upgrade, TakenAsideNamesMakeWayForTheNextOfEight)
{
    std::vector<std::string> taken;
    for (const char *suffix : {"", "1", "2", "3", "4", "5", "6", "7"})
        taken.push_back(at("velmorant.exe.vminst-old") + suffix);
    for (size_t k = 0; k + 1 < taken.size(); ++k)
        makeReadOnly(taken[k], "held copy");
    ASSERT_EQ(extract(sixOneOneTable), EXTRACT_SUCCESS);
    EXPECT_TRUE(readFile(at("velmorant.exe")) == testData("program.exe"));
    EXPECT_FALSE(fileExists(taken.back()));  // the copy that took it went

    makeReadOnly(taken.back(), "held copy");
    ASSERT_TRUE(writeFile(at("velmorant.exe"), "earlier velmorant.exe"));
    EXPECT_EQ(extract(sixOneOneTable), EXTRACT_CANNOT_CREATE);
    EXPECT_EQ(readFile(at("velmorant.exe")), "earlier velmorant.exe");
    EXPECT_TRUE(readFile(at("qxuninst.exe")) == testData("uninstall.exe"));
    std::vector<std::string> expected;
    for (const std::string &name : taken)
        expected.push_back(name.substr(folder.size() + 1));
    std::vector<std::string> left = leftovers(folder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, expected);
}

TEST_P(Extraction, ParentDirectories)
{
    const LeadBytes singleByte = {};
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
        EXPECT_EQ(makeParentDirectories(c.path.c_str(), singleByte), c.result);
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
        ASSERT_EQ(extract(systemTable, NULL, recordProgress), EXTRACT_SUCCESS);
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
    EXPECT_EQ(leftovers(systemFolder()), std::vector<std::string>());

    // A run that fails after its files took their names takes back those it put in the
    // system directory where there was no copy.
    ASSERT_TRUE(DeleteFileA(keep.c_str()) && DeleteFileA(inner.c_str()));
    EXPECT_EQ(extractHolding(systemTable, {"after.dat", NULL, FALSE}),
              EXTRACT_CANNOT_CREATE);
    EXPECT_FALSE(fileExists(keep));
    EXPECT_FALSE(fileExists(inner));
}

// T: is a 200 KB tmpfs: the extraction runs out of room in the middle of a file.
class FullDisk : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override
    {
        setInflateWorkers(GetParam());
        ASSERT_EQ(_chdir("T:\\"), 0) << "the harness maps a small drive T:";
    }
    void TearDown() override
    {
        setInflateWorkers(-1);
        _chdir("C:\\");
    }
};

TEST_P(FullDisk, ShortWriteGivesTwoAndLeavesNothing)
{
    ASSERT_TRUE(writeFile("T:\\keep.dat", "the user's file"));
    EXPECT_EQ(extract(fullDiskTable), EXTRACT_CANNOT_WRITE);
    EXPECT_FALSE(fileExists("T:\\small.dat"));
    EXPECT_FALSE(fileExists("T:\\big.bin"));
    EXPECT_EQ(readFile("T:\\keep.dat"), "the user's file");
    EXPECT_EQ(leftovers("T:"), std::vector<std::string>());
}

// A disk already full when a small file is written: the run fails there.
TEST_P(FullDisk, DiskFullBeforeASmallFileGivesTwo)
{
    ASSERT_TRUE(writeFile("T:\\first.dat", "earlier"));
    FILE *filler = fopen("T:\\filler", "wb");
    ASSERT_NE(filler, (FILE *)NULL);
    std::string block(4096, 'f');
    while (fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    fclose(filler);
    EXPECT_EQ(extract(mixedCaseTable), EXTRACT_CANNOT_WRITE);
    EXPECT_EQ(readFile("T:\\first.dat"), "earlier");
    EXPECT_FALSE(fileExists("T:\\Mixed.Dll"));
    EXPECT_EQ(leftovers("T:"), std::vector<std::string>());
    DeleteFileA("T:\\filler");
}

// Workers against the one-thread path on a table of 1 + 20 + 1 chunks, more than the workers'
// slots: the same reports in the same order and the same files.
TEST_P(Extraction, WorkersGiveTheReportsAndFilesOfOneThread)
{
    if (GetParam() == 0)
        return;  // compared against on the workers' runs
    std::vector<Call> reports[2];
    for (int32_t path = 0; path < 2; ++path) {
        SCOPED_TRACE(path);
        setInflateWorkers(path == 0 ? 0 : GetParam());
        calls.clear();
        ASSERT_EQ(extract(fullDiskTable, NULL, recordProgress), EXTRACT_SUCCESS);
        reports[path] = calls;
        EXPECT_TRUE(readFile(at("big.bin")) == testData("big.bin"));
        EXPECT_TRUE(readFile(at("keep.dat")) == testData("small.dat"));
    }
    EXPECT_EQ(reports[0].size(), 3u + 22u + 2u);  // each file, each chunk, the end
    EXPECT_EQ(reports[1], reports[0]);
}

INSTANTIATE_TEST_SUITE_P(Inflation, Extraction, ::testing::Values(0, 1, 3), pathName);
INSTANTIATE_TEST_SUITE_P(Inflation, Upgrade, ::testing::Values(0, 3), pathName);
INSTANTIATE_TEST_SUITE_P(Inflation, SystemDirectory, ::testing::Values(0, 3), pathName);
INSTANTIATE_TEST_SUITE_P(Inflation, FullDisk, ::testing::Values(0, 3), pathName);
