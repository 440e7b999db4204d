// makeTestFile PATH SIZE SEED [text|random]: writes SIZE deterministic bytes for the payload
// tests. "text" gives compressible lines, "random" bytes zlib cannot shrink.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: makeTestFile PATH SIZE SEED [text|random]\n");
        return 2;
    }
    long size = std::atol(argv[2]);
    unsigned long state = std::strtoul(argv[3], nullptr, 10) * 2654435761u + 1;
    bool random = argc > 4 && std::strcmp(argv[4], "random") == 0;
    FILE *file = std::fopen(argv[1], "wb");
    if (file == nullptr || size < 0)
        return 1;
    for (long i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        unsigned char byte = (unsigned char)(state >> 16);
        if (!random)  // words of a small alphabet, a line end now and then
            byte = (i % 61 == 60) ? '\n' : (unsigned char)("abcdefgh VELMORANT"[byte % 18]);
        std::fputc(byte, file);
    }
    return std::fclose(file) == 0 ? 0 : 1;
}
