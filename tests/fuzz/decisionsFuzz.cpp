// The setup sequence's text decisions and the extraction's name rules with folders and names
// of any content: results fit their buffers or are refused, and never write past them.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "core/payloadNames.h"
#include "core/setupDecisions.h"
#include "tests/core/codePage932.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Runs build into a guarded buffer of the given size and checks the bytes around it.
template <typename Build>
void guarded(size_t capacity, Build build)
{
    char area[1100];
    memset(area, 0x5A, sizeof area);
    char *buffer = area + 16;
    int fit = build(buffer, capacity);
    for (size_t k = 0; k < sizeof area; ++k)
        if (k < 16 || k >= 16 + capacity)
            check((unsigned char)area[k] == 0x5A);
    if (capacity > 0) {
        check(strnlen(buffer, capacity) < capacity);
        check(fit || buffer[0] == '\0');
    }
}

}  // namespace

// Input: a size byte, then two texts separated by a line feed.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    size_t capacity = 1 + data[0] * 4;  // 1 to 1021
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    size_t cut = rest.find('\n');
    std::string first = rest.substr(0, cut);
    std::string second = cut == std::string::npos ? "" : rest.substr(cut + 1);
    const char *a = first.c_str();
    const char *b = second.c_str();

    const LeadBytes &lead = data[0] % 2 ? codePage932 : singleByte;
    guarded(capacity, [&](char *out, size_t n) { return buildDriveRoot(out, n, a, data[0] % 27, lead); });
    guarded(capacity, [&](char *out, size_t n) { return buildFolderFilePath(out, n, a, b); });
    guarded(capacity, [&](char *out, size_t n) { return buildQuotedPath(out, n, a); });
    guarded(capacity, [&](char *out, size_t n) { return buildStartupCommand(out, n, a, b); });
    guarded(capacity, [&](char *out, size_t n) { return buildUninstallKeyPath(out, n, a); });
    if (hasSystemPrefix(b))
        guarded(capacity, [&](char *out, size_t n) { return buildSystemDestination(out, n, a, b, lead); });
    pathNamesDll(a);

    uint32_t x = (uint32_t)first.size() * 2654435761u, y = (uint32_t)second.size() * 40503u;
    driveHasRoom(x % 4096, y % 129, x % 65537, y);
    freeMegabytes(y % 129, x % 65537, x);
    int32_t total = (int32_t)(x & 0x7FFFFFFFu);
    int32_t done = total == 0 ? 0 : (int32_t)(y % (uint32_t)total);
    int32_t percent = percentDone(done, total);
    check(percent >= 0 && percent <= 100);
    return 0;
}
