// The bounded formatter and its copy/append companions with texts and formats of any content:
// nothing may be written outside the stated size, a stored text is always terminated, and a
// text that does not fit leaves nothing partial behind.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "core/boundedText.h"

namespace {

int unchecked(char *buffer, size_t size, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int fit = formatTextList(buffer, size, format, arguments);
    va_end(arguments);
    return fit;
}

// The one conversion of a format that reads an argument (0 when there is none), or -1 when
// the format reads more than one: the fuzzer can only hand over a single argument safely.
int onlyConversion(const std::string &format)
{
    int found = 0;
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        char c = format[++i];
        if (c == '%')
            continue;
        if (found != 0)
            return -1;
        found = (unsigned char)c;
    }
    return found;
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

// Input: one byte of buffer size, the format up to the first line feed, then the argument text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    size_t capacity = data[0] % 64;
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    size_t cut = rest.find('\n');
    std::string format = rest.substr(0, cut);
    std::string text = cut == std::string::npos ? "" : rest.substr(cut + 1);
    int conversion = onlyConversion(format);
    if (conversion < 0 || format.find('\0') != std::string::npos)
        return 0;

    char guard[80];
    memset(guard, 0x5A, sizeof guard);
    char *buffer = guard + 8;
    int fit;
    if (conversion == 's')
        fit = unchecked(buffer, capacity, format.c_str(), text.c_str());
    else if (conversion == 'd' || conversion == 'c')
        fit = unchecked(buffer, capacity, format.c_str(), (int)text.size() * 7919 - 1000000);
    else if (conversion == 'u')
        fit = unchecked(buffer, capacity, format.c_str(), (unsigned)text.size() * 4000000u);
    else  // no argument read: none or an unknown conversion, which fails before reading
        fit = unchecked(buffer, capacity, format.c_str());

    for (size_t k = 0; k < sizeof guard; ++k)
        if (k < 8 || k >= 8 + capacity)
            check((unsigned char)guard[k] == 0x5A);
    if (capacity > 0) {
        size_t length = strnlen(buffer, capacity);
        check(length < capacity);
        check(fit || length == 0);
    }

    char joined[48];
    memset(joined, 0x5A, sizeof joined);
    int copied = copyText(joined, 40, text.c_str());
    check(copied == (strlen(text.c_str()) < 40));
    size_t before = strlen(joined);
    int appended = appendText(joined, 40, format.c_str());
    check(appended ? strlen(joined) == before + format.size() : strlen(joined) == before);
    for (size_t k = 40; k < sizeof joined; ++k)
        check((unsigned char)joined[k] == 0x5A);
    return 0;
}
