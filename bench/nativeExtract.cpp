// nativeExtract BLOB INDEX FOLDER: the machine's own limit for the extraction. Inflates the
// payload's chunks with the system zlib into one 32000-byte buffer and writes the files, the
// same work the setup program does, natively on Linux.
#include <zlib.h>

#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: nativeExtract BLOB INDEX FOLDER\n");
        return 2;
    }
    FILE *blob = std::fopen(argv[1], "rb");
    std::ifstream index(argv[2]);
    if (blob == nullptr || !index) {
        std::fprintf(stderr, "nativeExtract: cannot read the payload\n");
        return 1;
    }
    std::string folder = argv[3];
    std::vector<unsigned char> stream(65536);
    std::vector<unsigned char> buffer(32000);
    std::string line;
    while (std::getline(index, line)) {
        std::istringstream fields(line);
        std::string name, time, sizes;
        std::getline(fields, name, '\t');
        std::getline(fields, time, '\t');
        std::getline(fields, sizes);
        std::string path = folder + "/" + name;
        FILE *out = std::fopen(path.c_str(), "wb");
        if (out == nullptr)
            return 1;
        std::istringstream list(sizes);
        std::string size;
        while (std::getline(list, size, ',')) {
            size_t length = std::stoul(size);
            if (std::fread(stream.data(), 1, length, blob) != length)
                return 1;
            uLongf inflated = buffer.size();
            if (uncompress(buffer.data(), &inflated, stream.data(), length) != Z_OK ||
                std::fwrite(buffer.data(), 1, inflated, out) != inflated)
                return 1;
        }
        std::fclose(out);
        struct utimbuf times = {std::atol(time.c_str()), std::atol(time.c_str())};
        utime(path.c_str(), &times);
    }
    std::fclose(blob);
    return 0;
}
