// payloadgen: turns the product's files into the setup program's compiled-in payload.
//
// Input: a manifest, one file per line, fields separated by tabs:
//     <stored name> TAB <source file> TAB <time, seconds since 1970 UTC>
// Blank lines and lines starting with '#' are ignored.
//
// Output, in the output folder:
//     <base>.bin  the chunks' zlib streams, back to back
//     <base>-<u>.S  for u from 0 to the number of units less one (--units, by default 1), an
//                 assembler unit that pulls a slice of <base>.bin out with .incbin under a
//                 symbol of its own: the slices follow each other, cut at chunk boundaries into
//                 parts of about the same length, whatever files the chunks belong to
//     <base>.cpp  the PayloadTable, pointing into those symbols, with each file's Adler-32 of
//                 its streams back to back, which the program checks before it writes anything,
//                 and the files' inflated size
//     <base>.index (with --index) the same table as text, for tools that read the chunk file:
//                 one line per file: <stored name> TAB <time> TAB <chunk sizes, comma-separated>
// With --names-only it writes only <base>.cpp, a PayloadNameList of the stored names in table
// order, and reads no source file: the uninstaller, itself one of the payload's files, links
// it to know what the setup program installed.
// Each piece is compressed alone with libdeflate at its strongest level, which writes standard
// zlib streams, smaller than zlib's own, that the programs' inflate reads.
// The chunk bytes never pass through the C++ compiler, so building a large payload takes
// time linear in its size; and as the assembler and the linker hold one input section at a
// time, units of bounded size (the build asks for one per 16 MB of input) keep their memory
// bounded whatever the file, while small files share a unit instead of costing an assembler
// run each. The generator itself reads, compresses and writes a file a few
// megabytes at a time. The same inputs always give byte-identical outputs.
#include <libdeflate.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "buildtools/cLiteral.h"

namespace {

const size_t kChunkLimit = 32000;       // the extraction's output buffer
const int kLevel = 12;                  // libdeflate's strongest
const size_t kBatchPieces = 64;         // pieces per thread read and compressed at a time
const size_t kDestinationSize = 1024;   // the extraction's path buffer, NUL included
const size_t kLongestSystemDirectory = 259;  // MAX_PATH less its NUL
const char kSystemPrefix[] = "SYSTEM";

struct Options {
    std::string manifest;
    std::string outputDirectory;
    std::string base = "payloadData";
    std::string tableName = "payloadTable";
    std::string blobSymbol = "payloadBlob";
    size_t pieceSize = 30000;
    unsigned threads = 0;
    size_t units = 1;
    bool index = false;
    bool namesOnly = false;
};

struct Entry {
    std::string storedName;
    std::string source;
    int32_t time = 0;
    int line = 0;
};

struct FileChunks {
    std::vector<uint64_t> offsets;  // into the blob
    std::vector<uint32_t> sizes;
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "payloadgen: %s\n", message.c_str());
    std::exit(1);
}

void usage()
{
    std::fprintf(stderr,
                 "usage: payloadgen --manifest FILE --output-dir DIR [--base NAME]\n"
                 "                  [--table-name NAME] [--blob-symbol NAME]\n"
                 "                  [--piece-size BYTES] [--threads N] [--index]\n"
                 "                  [--units N (assembler units)]\n"
                 "       payloadgen --names-only --manifest FILE --output-dir DIR [--base NAME]\n"
                 "                  [--table-name NAME]\n");
    std::exit(2);
}

bool parseNumber(const std::string &text, long long low, long long high, long long &value)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool isIdentifier(const std::string &name)
{
    if (name.empty() || !(std::isalpha((unsigned char)name[0]) || name[0] == '_'))
        return false;
    for (char c : name)
        if (!(std::isalnum((unsigned char)c) || c == '_'))
            return false;
    return true;
}

Options parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        if (flag == "--index") {
            options.index = true;
            continue;
        }
        if (flag == "--names-only") {
            options.namesOnly = true;
            continue;
        }
        if (i + 1 >= argc)
            usage();
        std::string value = argv[++i];
        long long number = 0;
        if (flag == "--manifest")
            options.manifest = value;
        else if (flag == "--output-dir")
            options.outputDirectory = value;
        else if (flag == "--base")
            options.base = value;
        else if (flag == "--table-name")
            options.tableName = value;
        else if (flag == "--blob-symbol")
            options.blobSymbol = value;
        else if (flag == "--piece-size" && parseNumber(value, 1, INT32_MAX, number))
            options.pieceSize = (size_t)number;
        else if (flag == "--threads" && parseNumber(value, 1, 64, number))
            options.threads = (unsigned)number;
        else if (flag == "--units" && parseNumber(value, 1, 1 << 20, number))
            options.units = (size_t)number;
        else
            usage();
    }
    if (options.manifest.empty() || options.outputDirectory.empty())
        usage();
    if (!isIdentifier(options.tableName) || !isIdentifier(options.blobSymbol))
        fail("table and blob names must be C identifiers");
    if (options.threads == 0)
        options.threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    return options;
}

bool hasSystemPrefix(const std::string &name)
{
    return name.size() >= 7 && name.compare(0, 6, kSystemPrefix) == 0 &&
           (name[6] == '/' || name[6] == '\\');
}

// The longest destination path the extraction can build for this name, NUL included.
size_t destinationSize(const std::string &name)
{
    if (hasSystemPrefix(name))
        return kLongestSystemDirectory + 1 + (name.size() - 7) + 1;
    return name.size() + 1;
}

std::vector<Entry> readManifest(const std::string &path)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        fail("cannot read the manifest '" + path + "': " + std::strerror(errno));
    std::vector<Entry> entries;
    std::set<std::string> seen;
    std::string line;
    int lineNumber = 0;
    int c;
    bool more = true;
    while (more) {
        c = std::fgetc(file);
        if (c != EOF && c != '\n') {
            line.push_back((char)c);
            continue;
        }
        more = c != EOF;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string where = path + ":" + std::to_string(lineNumber) + ": ";
        if (line.empty() || line[0] == '#') {
            line.clear();
            continue;
        }
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        if (fields.size() != 3)
            fail(where + "expected <stored name> TAB <source file> TAB <time>");
        Entry entry;
        entry.storedName = fields[0];
        entry.source = fields[1];
        entry.line = lineNumber;
        long long time = 0;
        if (!parseNumber(fields[2], INT32_MIN, INT32_MAX, time))
            fail(where + "the time '" + fields[2] + "' is not a signed 32-bit number of seconds");
        entry.time = (int32_t)time;
        if (entry.storedName.empty())
            fail(where + "the stored name is empty");
        if (destinationSize(entry.storedName) > kDestinationSize)
            fail(where + "the stored name '" + entry.storedName.substr(0, 40) +
                 "...' would not fit the 1024-byte destination path");
        if (!seen.insert(entry.storedName).second)
            fail(where + "the stored name '" + entry.storedName + "' is listed twice");
        entries.push_back(entry);
        line.clear();
    }
    std::fclose(file);
    return entries;
}

// Every stream must inflate, alone, to exactly its piece and fit the extraction's buffer.
bool inflatesBack(const std::vector<unsigned char> &stream, const unsigned char *original,
                  size_t length, std::vector<unsigned char> &check)
{
    uLongf checkLength = (uLongf)check.size();
    return uncompress(check.data(), &checkLength, stream.data(), (uLong)stream.size()) == Z_OK &&
           checkLength == length && std::memcmp(check.data(), original, length) == 0;
}

// Compresses each piece of data alone, on several threads, and checks every stream.
std::vector<std::vector<unsigned char>> compressPieces(const Entry &entry, size_t firstPiece,
                                                       const std::vector<unsigned char> &data,
                                                       size_t pieceSize, unsigned threads)
{
    if (std::min(pieceSize, data.size()) > kChunkLimit)
        fail("'" + entry.storedName + "' chunk " + std::to_string(firstPiece) +
             " would inflate to " + std::to_string(std::min(pieceSize, data.size())) +
             " bytes, beyond the extraction's 32000-byte buffer");
    size_t count = (data.size() + pieceSize - 1) / pieceSize;
    std::vector<std::vector<unsigned char>> streams(count);
    std::vector<char> good(count, 0);
    auto work = [&](size_t first) {
        libdeflate_compressor *compressor = libdeflate_alloc_compressor(kLevel);
        std::vector<unsigned char> check(kChunkLimit);
        for (size_t piece = first; compressor != nullptr && piece < count; piece += threads) {
            const unsigned char *start = data.data() + piece * pieceSize;
            size_t length = std::min(pieceSize, data.size() - piece * pieceSize);
            streams[piece].resize(libdeflate_zlib_compress_bound(compressor, length));
            size_t written = libdeflate_zlib_compress(compressor, start, length, streams[piece].data(),
                                                      streams[piece].size());
            streams[piece].resize(written);
            good[piece] = written > 0 && inflatesBack(streams[piece], start, length, check);
        }
        libdeflate_free_compressor(compressor);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads && t < count; ++t)
        pool.emplace_back(work, t);
    work(0);
    for (std::thread &thread : pool)
        thread.join();
    for (size_t piece = 0; piece < count; ++piece)
        if (!good[piece])
            fail("'" + entry.storedName + "' chunk " + std::to_string(firstPiece + piece) +
                 " does not compress into a stream that inflates back to its piece");
    return streams;
}

void writeFile(const std::string &path, const std::string &content)
{
    // Written to a temporary name and renamed, so an interrupted run leaves no half file
    // that a later build would take as up to date.
    std::string temporary = path + ".tmp";
    FILE *file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr || std::fwrite(content.data(), 1, content.size(), file) != content.size() ||
        std::fclose(file) != 0)
        fail("cannot write '" + path + "'");
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        fail("cannot write '" + path + "'");
}

// Each file's Adler-32 over its streams back to back, read again from the chunk file: the
// bytes the program will carry.
std::vector<uint32_t> fileChecks(const std::string &blobPath, const std::vector<FileChunks> &files)
{
    FILE *blob = std::fopen(blobPath.c_str(), "rb");
    if (blob == nullptr)
        fail("cannot read '" + blobPath + "' back: " + std::strerror(errno));
    std::vector<unsigned char> buffer(1 << 20);
    std::vector<uint32_t> checks;
    for (const FileChunks &file : files) {
        uLong check = adler32(0L, Z_NULL, 0);
        uint64_t left = 0;
        for (uint32_t size : file.sizes)
            left += size;
        while (left > 0) {
            size_t length = (size_t)std::min<uint64_t>(left, buffer.size());
            if (std::fread(buffer.data(), 1, length, blob) != length)
                fail("cannot read '" + blobPath + "' back");
            check = adler32(check, buffer.data(), (uInt)length);
            left -= length;
        }
        checks.push_back((uint32_t)check);
    }
    std::fclose(blob);
    return checks;
}

// The symbol under which unit u's slice lies, and that unit's file name.
std::string unitSymbol(const Options &options, size_t u)
{
    return options.blobSymbol + "_" + std::to_string(u);
}

std::string unitPath(const Options &options, size_t u)
{
    return options.outputDirectory + "/" + options.base + "-" + std::to_string(u) + ".S";
}

// Where each unit's slice begins in the chunk file, and after the last the file's length:
// unit u begins with the first chunk at or past u / units of the file (a unit may be empty).
std::vector<uint64_t> unitOffsets(const std::vector<FileChunks> &files, uint64_t total, size_t units)
{
    std::vector<uint64_t> starts(1, 0);
    for (const FileChunks &file : files)
        for (uint64_t offset : file.offsets)
            while (starts.size() < units && offset >= (total * starts.size() + units - 1) / units)
                starts.push_back(offset);
    while (starts.size() <= units)
        starts.push_back(total);
    return starts;
}

std::string tableSource(const Options &options, const std::vector<Entry> &entries,
                        const std::vector<FileChunks> &files, const std::vector<uint64_t> &units,
                        const std::vector<uint32_t> &checks, int32_t installedKilobytes)
{
    std::string out;
    std::string manifestName = options.manifest.substr(options.manifest.find_last_of('/') + 1);
    out += "// Generated by payloadgen from " + manifestName + ". Do not edit.\n";
    out += "#include \"core/payloadTable.h\"\n\n";
    for (size_t u = 0; u + 1 < units.size(); ++u)
        if (units[u] < units[u + 1])
            out += "extern \"C\" const unsigned char " + unitSymbol(options, u) + "[];\n";
    out += "\nnamespace {\n\n";
    size_t u = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const FileChunks &file = files[i];
        std::string index = std::to_string(i);
        if (file.offsets.empty())
            continue;  // an empty file has no chunks: its arrays are null
        out += "const unsigned char *const file" + index + "Chunks[] = {\n";
        for (uint64_t offset : file.offsets) {
            while (offset >= units[u + 1])
                ++u;
            out += "    " + unitSymbol(options, u) + " + " + std::to_string(offset - units[u]) + ",\n";
        }
        out += "};\nconst int32_t file" + index + "Sizes[] = {\n";
        for (uint32_t size : file.sizes)
            out += "    " + std::to_string(size) + ",\n";
        out += "};\n\n";
    }
    auto list = [&](const std::string &type, const std::string &name, auto item) {
        out += "const " + type + " " + name + "[] = {\n";
        for (size_t i = 0; i < entries.size(); ++i)
            out += "    " + item(i) + ",\n";
        out += "};\n";
    };
    list("unsigned char *const *const", "chunkData", [&](size_t i) {
        return files[i].offsets.empty() ? std::string("nullptr") : "file" + std::to_string(i) + "Chunks";
    });
    list("int32_t *const", "chunkSizes", [&](size_t i) {
        return files[i].offsets.empty() ? std::string("nullptr") : "file" + std::to_string(i) + "Sizes";
    });
    list("char *const", "fileNames", [&](size_t i) { return cLiteral(entries[i].storedName); });
    list("int32_t", "chunkCounts", [&](size_t i) { return std::to_string(files[i].sizes.size()); });
    list("int32_t", "fileTimes", [&](size_t i) {
        // The most negative value is not a literal of its own in C++.
        return entries[i].time == INT32_MIN ? std::string("INT32_MIN")
                                            : std::to_string(entries[i].time);
    });
    list("uint32_t", "fileChecks", [&](size_t i) { return std::to_string(checks[i]) + "u"; });
    out += "\n}  // namespace\n\n";
    out += "extern const PayloadTable " + options.tableName + ";\n";
    out += "const PayloadTable " + options.tableName + " = {\n    " +
           std::to_string(entries.size()) +
           ", chunkData, chunkSizes, fileNames, chunkCounts, fileTimes, fileChecks, " +
           std::to_string(installedKilobytes) + ",\n};\n";
    return out;
}

std::string namesSource(const Options &options, const std::vector<Entry> &entries)
{
    std::string out;
    std::string manifestName = options.manifest.substr(options.manifest.find_last_of('/') + 1);
    out += "// Generated by payloadgen --names-only from " + manifestName + ". Do not edit.\n";
    out += "#include \"core/payloadNameList.h\"\n\n";
    out += "namespace {\n\n";
    out += "const char *const fileNames[] = {\n";
    for (const Entry &entry : entries)
        out += "    " + cLiteral(entry.storedName) + ",\n";
    out += "};\n\n}  // namespace\n\n";
    out += "extern const PayloadNameList " + options.tableName + ";\n";
    out += "const PayloadNameList " + options.tableName + " = {\n    " +
           std::to_string(entries.size()) + ", fileNames,\n};\n";
    return out;
}

// Unit u: its slice of the chunk file.
std::string assemblerSource(const Options &options, const std::string &blobPath,
                            const std::vector<uint64_t> &units, size_t u)
{
    std::string out;
    out += "// Generated by payloadgen. A slice of the payload's chunks, read by the assembler\n";
    out += "// as raw bytes, so their size costs the compiler nothing.\n";
    if (units[u] == units[u + 1])
        return out + "// No chunks here.\n";
    out += "#define PAYLOAD_CAT2(a, b) a##b\n";
    out += "#define PAYLOAD_CAT(a, b) PAYLOAD_CAT2(a, b)\n";
    out += "#define PAYLOAD_SYMBOL PAYLOAD_CAT(__USER_LABEL_PREFIX__, " + unitSymbol(options, u) + ")\n";
    out += "    .section .rdata,\"dr\"\n";
    out += "    .globl PAYLOAD_SYMBOL\n";
    out += "PAYLOAD_SYMBOL:\n";
    out += "    .incbin " + cLiteral(blobPath) + ", " + std::to_string(units[u]) + ", " +
           std::to_string(units[u + 1] - units[u]) + "\n";
    return out;
}

}  // namespace

int main(int argc, char **argv)
{
    Options options = parseOptions(argc, argv);
    std::vector<Entry> entries = readManifest(options.manifest);
    if (entries.empty())
        fail("the manifest lists no file: the payload needs at least one chunk");
    if (options.namesOnly) {
        writeFile(options.outputDirectory + "/" + options.base + ".cpp",
                  namesSource(options, entries));
        return 0;
    }

    std::string blobPath = options.outputDirectory + "/" + options.base + ".bin";
    std::string blobTemporary = blobPath + ".tmp";
    FILE *blob = std::fopen(blobTemporary.c_str(), "wb");
    if (blob == nullptr)
        fail("cannot write '" + blobPath + "': " + std::strerror(errno));

    std::vector<FileChunks> files;
    uint64_t offset = 0;
    uint64_t totalChunks = 0;
    uint64_t totalBytes = 0;
    std::vector<unsigned char> data;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        FILE *source = std::fopen(entry.source.c_str(), "rb");
        struct stat status;
        if (source == nullptr || fstat(fileno(source), &status) != 0)
            fail("cannot read '" + entry.source + "' for '" + entry.storedName +
                 "': " + std::strerror(errno));
        uint64_t pieces = ((uint64_t)status.st_size + options.pieceSize - 1) / options.pieceSize;
        totalBytes += (uint64_t)status.st_size;
        FileChunks chunks;
        // A few megabytes at a time, whole pieces each.
        size_t batch = kBatchPieces * options.threads * options.pieceSize;
        for (;;) {
            data.resize(batch);
            size_t got = std::fread(data.data(), 1, batch, source);
            if (got == 0)
                break;
            data.resize(got);
            std::vector<std::vector<unsigned char>> streams =
                compressPieces(entry, chunks.sizes.size(), data, options.pieceSize, options.threads);
            for (const std::vector<unsigned char> &stream : streams) {
                if (std::fwrite(stream.data(), 1, stream.size(), blob) != stream.size())
                    fail("cannot write '" + blobPath + "'");
                chunks.offsets.push_back(offset);
                chunks.sizes.push_back((uint32_t)stream.size());
                offset += stream.size();
            }
        }
        bool bad = std::ferror(source) != 0;
        std::fclose(source);
        if (bad)
            fail("cannot read '" + entry.source + "' for '" + entry.storedName + "'");
        if (chunks.sizes.size() != pieces)
            fail("'" + entry.source + "' changed while it was read");
        totalChunks += chunks.sizes.size();
        if (totalChunks > (uint64_t)INT32_MAX / 100)
            fail("too many chunks: the extraction's percentages would overflow");
        files.push_back(chunks);
    }
    if (std::fclose(blob) != 0 || std::rename(blobTemporary.c_str(), blobPath.c_str()) != 0)
        fail("cannot write '" + blobPath + "'");
    if (totalChunks == 0)
        fail("every listed file is empty: the payload needs at least one chunk");
    // The installation's size as the uninstall entry states it.
    uint64_t installedKilobytes = (totalBytes + 1023) / 1024;
    if (installedKilobytes > (uint64_t)INT32_MAX)
        fail("the files together are too large for the installation's size in KB");

    std::vector<uint64_t> units = unitOffsets(files, offset, options.units);
    for (size_t u = 0; u < options.units; ++u)
        writeFile(unitPath(options, u), assemblerSource(options, blobPath, units, u));
    writeFile(options.outputDirectory + "/" + options.base + ".cpp",
              tableSource(options, entries, files, units, fileChecks(blobPath, files),
                          (int32_t)installedKilobytes));
    if (options.index) {
        std::string text;
        for (size_t i = 0; i < entries.size(); ++i) {
            text += entries[i].storedName + "\t" + std::to_string(entries[i].time) + "\t";
            for (size_t j = 0; j < files[i].sizes.size(); ++j)
                text += (j == 0 ? "" : ",") + std::to_string(files[i].sizes[j]);
            text += "\n";
        }
        writeFile(options.outputDirectory + "/" + options.base + ".index", text);
    }
    return 0;
}
