// The payload generator, run as the build runs it, on manifests and files of the tests' own.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string generator()
{
    const char *path = std::getenv("PAYLOADGEN");
    return path != nullptr ? path : "payloadgen";
}

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeAll(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string pattern(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = (i % 7 == 0) ? (char)(state >> 16) : "velmorant"[i % 9];
    }
    return bytes;
}

// A scratch folder with a manifest and its files; runs the generator there.
struct Workspace {
    std::string dir;
    std::string errors;

    Workspace()
    {
        char name[] = "/tmp/payloadgen-test-XXXXXX";
        dir = mkdtemp(name);
    }
    ~Workspace() { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string file(const std::string &name, const std::string &content)
    {
        std::string path = dir + "/" + name;
        writeAll(path, content);
        return path;
    }
    // Runs the generator on the manifest text; returns its exit status.
    int run(const std::string &manifest, const std::string &extra = "")
    {
        writeAll(dir + "/list.manifest", manifest);
        std::string command = "'" + generator() + "' --manifest '" + dir +
                              "/list.manifest' --output-dir '" + dir + "' --base out " + extra +
                              " 2>'" + dir + "/errors.txt'";
        int status = std::system(command.c_str());
        errors = readAll(dir + "/errors.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// The table as the generated source unit states it: per file, its chunks' offsets and sizes.
struct ParsedFile {
    std::vector<long> offsets;
    std::vector<long> sizes;
};

std::vector<ParsedFile> parseTable(const std::string &source, size_t files)
{
    std::vector<ParsedFile> parsed(files);
    std::istringstream lines(source);
    std::string line;
    ParsedFile *current = nullptr;
    bool sizes = false;
    while (std::getline(lines, line)) {
        unsigned index;
        char kind[16];
        if (std::sscanf(line.c_str(), "const unsigned char *const file%uChunks", &index) == 1 ||
            std::sscanf(line.c_str(), "const int32_t file%u%5s", &index, kind) == 2) {
            current = index < files ? &parsed[index] : nullptr;
            sizes = line.find("Sizes") != std::string::npos;
            continue;
        }
        if (line.rfind("};", 0) == 0) {
            current = nullptr;
            continue;
        }
        if (current == nullptr)
            continue;
        size_t plus = line.find(" + ");
        if (!sizes && plus != std::string::npos)
            current->offsets.push_back(std::stol(line.substr(plus + 3)));
        else if (sizes)
            current->sizes.push_back(std::stol(line));
    }
    return parsed;
}

std::string inflate(const std::string &stream)
{
    std::string out(32000, '\0');
    uLongf length = out.size();
    if (uncompress((Bytef *)&out[0], &length, (const Bytef *)stream.data(), stream.size()) != Z_OK)
        return "<damaged>";
    out.resize(length);
    return out;
}

}  // namespace

TEST(Payloadgen, CutsFilesIntoPiecesCompressedAloneSmallerThanZlib)
{
    Workspace w;
    struct Input {
        std::string name;
        size_t size;
        std::vector<size_t> pieces;
    } inputs[] = {
        {"exact.bin", 30000, {30000}},
        {"oneMore.bin", 30001, {30000, 1}},
        {"program.exe", 176128, {30000, 30000, 30000, 30000, 30000, 26128}},
        {"empty.txt", 0, {}},
        {"tiny.txt", 5, {5}},
    };
    std::string manifest = "# a comment line\n\n";
    std::vector<std::string> contents;
    for (size_t i = 0; i < std::size(inputs); ++i) {
        contents.push_back(pattern(inputs[i].size, (unsigned)i + 1));
        manifest += inputs[i].name + "\t" + w.file(inputs[i].name, contents.back()) + "\t" +
                    std::to_string(1000 + i) + "\n";
    }
    ASSERT_EQ(w.run(manifest), 0) << w.errors;
    std::string blob = readAll(w.dir + "/out.bin");
    std::string source = readAll(w.dir + "/out.cpp");
    std::vector<ParsedFile> table = parseTable(source, std::size(inputs));

    long expectedOffset = 0;
    size_t zlibBest = 0;  // what zlib's strongest level makes of the same pieces
    for (size_t i = 0; i < std::size(inputs); ++i) {
        SCOPED_TRACE(inputs[i].name);
        ASSERT_EQ(table[i].sizes.size(), inputs[i].pieces.size());
        ASSERT_EQ(table[i].offsets.size(), inputs[i].pieces.size());
        size_t start = 0;
        std::string joined;
        for (size_t j = 0; j < inputs[i].pieces.size(); ++j) {
            EXPECT_EQ(table[i].offsets[j], expectedOffset);  // back to back, in one unit
            std::string stream = blob.substr(expectedOffset, table[i].sizes[j]);
            expectedOffset += table[i].sizes[j];
            // A zlib stream of its piece alone, which zlib's one-call uncompress reads.
            std::string piece = contents[i].substr(start, inputs[i].pieces[j]);
            uLongf length = compressBound(piece.size());
            std::string zlibStream(length, '\0');
            ASSERT_EQ(compress2((Bytef *)&zlibStream[0], &length, (const Bytef *)piece.data(),
                                piece.size(), 9),
                      Z_OK);
            zlibBest += length;
            EXPECT_EQ((unsigned char)stream[0], 0x78) << "chunk " << j;
            EXPECT_TRUE(inflate(stream) == piece) << "chunk " << j;
            joined += inflate(stream);
            start += inputs[i].pieces[j];
        }
        EXPECT_EQ(joined, contents[i]);
    }
    EXPECT_EQ((long)blob.size(), expectedOffset);  // nothing else in the blob
    EXPECT_NE(readAll(w.dir + "/out-0.S").find("out.bin\", 0, " + std::to_string(blob.size()) + "\n"),
              std::string::npos);
    EXPECT_LT(blob.size(), zlibBest);
    EXPECT_NE(source.find("const int32_t chunkCounts[] = {\n    1,\n    2,\n    6,\n    0,\n    1,\n};"),
              std::string::npos);
    EXPECT_NE(source.find("const int32_t fileTimes[] = {\n    1000,\n    1001,\n    1002,\n    1003,\n    1004,\n};"),
              std::string::npos);
    // The installation's size: 236134 bytes in all, rounded up to whole KB.
    EXPECT_NE(source.find(", fileTimes, fileChecks, 231,\n};"), std::string::npos) << source;
    // The empty file is represented by no chunks at all.
    EXPECT_NE(source.find("const unsigned char *const *const chunkData[] = {\n    file0Chunks,\n    "
                          "file1Chunks,\n    file2Chunks,\n    nullptr,\n    file4Chunks,\n};"),
              std::string::npos);
}

// The chunk file split over the assembler units asked for: slices of about the same length,
// back to back, cut at chunk boundaries whatever file a chunk belongs to; every chunk pointer
// names its unit's symbol and its place in the slice; a unit left without chunks declares
// nothing.
TEST(Payloadgen, SplitsTheChunksOverTheUnitsAskedFor)
{
    Workspace w;
    std::string large = pattern(2000000, 5);  // 67 pieces, more than one batch on one thread
    std::string manifest = "large\t" + w.file("large", large) + "\t1\n" + "tiny\t" +
                           w.file("tiny", "tiny") + "\t1\n";
    ASSERT_EQ(w.run(manifest, "--threads 1 --units 3"), 0) << w.errors;
    std::string blob = readAll(w.dir + "/out.bin");
    std::string source = readAll(w.dir + "/out.cpp");
    std::vector<ParsedFile> table = parseTable(source, 2);
    ASSERT_EQ(table[0].sizes.size(), 67u);
    std::string joined;
    long offset = 0;
    std::vector<long> offsets;
    for (const ParsedFile &file : table)
        for (long size : file.sizes) {
            offsets.push_back(offset);
            offset += size;
        }
    ASSERT_EQ((long)blob.size(), offset);
    for (size_t j = 0; j < 67; ++j)
        joined += inflate(blob.substr(offsets[j], table[0].sizes[j]));
    EXPECT_TRUE(joined == large);
    // Each unit begins with the first chunk at or past its third of the file.
    long start = 0;
    for (long u = 0; u < 3; ++u) {
        long end = (long)blob.size();
        for (long at : offsets)
            if (u < 2 && at >= ((long)blob.size() * (u + 1) + 2) / 3) {
                end = at;
                break;
            }
        std::string unit = readAll(w.dir + "/out-" + std::to_string(u) + ".S");
        EXPECT_NE(unit.find("out.bin\", " + std::to_string(start) + ", " +
                            std::to_string(end - start) + "\n"),
                  std::string::npos)
            << unit;
        // The tiny file's one chunk lies at the end of the last unit.
        if (u == 2) {
            EXPECT_NE(source.find("    payloadBlob_2 + " + std::to_string(offsets.back() - start) +
                                  ",\n};\nconst int32_t file1Sizes[]"),
                      std::string::npos)
                << source;
        }
        start = end;
    }
    // More units than chunks: the empty ones declare nothing.
    ASSERT_EQ(w.run("tiny\t" + w.file("tiny", "tiny") + "\t1\n", "--units 2"), 0) << w.errors;
    EXPECT_EQ(readAll(w.dir + "/out-1.S").find(".incbin"), std::string::npos);
    EXPECT_EQ(readAll(w.dir + "/out.cpp").find("payloadBlob_1"), std::string::npos);
}

TEST(Payloadgen, NamesPassThroughExactly)
{
    Workspace w;
    std::string data = w.file("data", "x");
    std::string manifest = "SYSTEM/velmorant.dll\t" + data + "\t1\n" +
                           "SYSTEM\\sub\\inner.dll\t" + data + "\t-5\n" +
                           "odd \"quoted\" name?\t" + data + "\t2147483647\n";
    ASSERT_EQ(w.run(manifest), 0) << w.errors;
    std::string source = readAll(w.dir + "/out.cpp");
    EXPECT_NE(source.find("\"SYSTEM/velmorant.dll\",\n    \"SYSTEM\\\\sub\\\\inner.dll\",\n    "
                          "\"odd \\\"quoted\\\" name\\077\",\n"),
              std::string::npos)
        << source;
    EXPECT_NE(source.find("    1,\n    -5,\n    2147483647,\n};"), std::string::npos);
}

TEST(Payloadgen, RefusesInputsThatBreakTheTable)
{
    Workspace w;
    std::string data = w.file("data", pattern(40000, 9));
    std::string empty = w.file("empty", "");
    mkdir((w.dir + "/folder").c_str(), 0755);
    std::string longest(1023, 'n');
    std::string longestSystem = "SYSTEM/" + std::string(763, 's');
    struct Case {
        std::string manifest;
        std::string extra;
        std::string message;
    } refused[] = {
        {"gone.exe\t" + w.dir + "/missing\t1\n", "", "cannot read '" + w.dir + "/missing'"},
        {"folder.exe\t" + w.dir + "/folder\t1\n", "", "cannot read '" + w.dir + "/folder'"},
        {longest + "n\t" + data + "\t1\n", "", "would not fit the 1024-byte destination path"},
        {longestSystem + "s\t" + data + "\t1\n", "", "would not fit the 1024-byte destination path"},
        {"# nothing\n", "", "lists no file"},
        {"a\t" + empty + "\t1\nb\t" + empty + "\t1\n", "", "every listed file is empty"},
        {"big\t" + data + "\t1\n", "--piece-size 40000", "beyond the extraction's 32000-byte buffer"},
        {"twice\t" + data + "\t1\ntwice\t" + data + "\t2\n", "", "is listed twice"},
        {"late\t" + data + "\t2147483648\n", "", "not a signed 32-bit number"},
        {"short\t" + data + "\n", "", "expected <stored name> TAB <source file> TAB <time>"},
        {"\t" + data + "\t1\n", "", "the stored name is empty"},
    };
    for (const Case &c : refused) {
        SCOPED_TRACE(c.manifest.substr(0, 60));
        EXPECT_EQ(w.run(c.manifest, c.extra), 1);
        EXPECT_NE(w.errors.find(c.message), std::string::npos) << w.errors;
    }
    // The limits themselves are accepted.
    EXPECT_EQ(w.run(longest + "\t" + data + "\t1\n" + longestSystem + "\t" + data + "\t1\n"), 0)
        << w.errors;
}

TEST(Payloadgen, SameInputsGiveIdenticalOutput)
{
    Workspace w;
    std::string manifest;
    for (int i = 0; i < 4; ++i)
        manifest += "f" + std::to_string(i) + "\t" +
                    w.file("f" + std::to_string(i), pattern(95000 + 17 * i, i + 3)) + "\t7\n";
    ASSERT_EQ(w.run(manifest, "--threads 1 --units 2"), 0) << w.errors;
    std::string outputs[3] = {readAll(w.dir + "/out.bin"), readAll(w.dir + "/out.cpp"),
                              readAll(w.dir + "/out-1.S")};
    for (const char *threads : {"--threads 2 --units 2", "--threads 5 --units 2"}) {
        ASSERT_EQ(w.run(manifest, threads), 0) << w.errors;
        EXPECT_EQ(readAll(w.dir + "/out.bin"), outputs[0]) << threads;
        EXPECT_EQ(readAll(w.dir + "/out.cpp"), outputs[1]) << threads;
        EXPECT_EQ(readAll(w.dir + "/out-1.S"), outputs[2]) << threads;
    }
}

// The names-only list names every file in table order, exactly as stored, and never opens a
// source: the uninstaller's own file may not exist yet when its list is made.
TEST(Payloadgen, NamesOnlyListsTheStoredNamesWithoutReadingSources)
{
    Workspace w;
    std::string manifest = "velmorant.exe\t" + w.dir + "/not-built-yet.exe\t1087915477\n" +
                           "# between\n" + "SYSTEM\\velmorant.dll\t" + w.dir + "/missing\t1\n" +
                           "odd \"quoted\" name?\t" + w.dir + "/missing\t-5\n";
    ASSERT_EQ(w.run(manifest, "--names-only --table-name productNames"), 0) << w.errors;
    EXPECT_EQ(readAll(w.dir + "/out.cpp"),
              "// Generated by payloadgen --names-only from list.manifest. Do not edit.\n"
              "#include \"core/payloadNameList.h\"\n\n"
              "namespace {\n\n"
              "const char *const fileNames[] = {\n"
              "    \"velmorant.exe\",\n"
              "    \"SYSTEM\\\\velmorant.dll\",\n"
              "    \"odd \\\"quoted\\\" name\\077\",\n"
              "};\n\n"
              "}  // namespace\n\n"
              "extern const PayloadNameList productNames;\n"
              "const PayloadNameList productNames = {\n    3, fileNames,\n};\n");
    // Only the list is written: no chunk file, no assembler unit.
    EXPECT_FALSE(std::ifstream(w.dir + "/out.bin").good());
    EXPECT_FALSE(std::ifstream(w.dir + "/out.S").good());
    // The manifest's own checks still hold.
    EXPECT_EQ(w.run("twice\tx\t1\ntwice\ty\t2\n", "--names-only"), 1);
    EXPECT_NE(w.errors.find("is listed twice"), std::string::npos) << w.errors;
    EXPECT_EQ(w.run("# nothing\n", "--names-only"), 1);
    EXPECT_NE(w.errors.find("lists no file"), std::string::npos) << w.errors;
}
