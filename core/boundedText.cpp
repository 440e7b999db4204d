// Bounded text building. A tiny formatter of our own instead of the runtime's: msvcrt's
// _snprintf leaves the buffer unterminated when the text does not fit, and the full C99
// formatter would add several kilobytes to the setup program for four conversions.
#include "boundedText.h"

#include <string.h>

namespace {

struct Output {
    char *buffer;
    size_t size;
    size_t length;
    int overflow;
};

void put(Output &out, const char *text, size_t count)
{
    if (out.overflow)
        return;
    if (count >= out.size - out.length) {  // the NUL needs one byte too
        out.overflow = 1;
        return;
    }
    memcpy(out.buffer + out.length, text, count);
    out.length += count;
}

// Decimal digits of a magnitude, written backwards into the end of a small buffer. 32 bits
// hold every magnitude of the conversions, and their division by 10 needs no runtime routine.
size_t decimal(char *digits, size_t capacity, unsigned value)
{
    size_t start = capacity;
    do {
        digits[--start] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0 && start > 0);
    return start;
}

}  // namespace

int formatTextList(char *buffer, size_t size, const char *format, va_list arguments)
{
    if (buffer == NULL || size == 0)
        return 0;
    Output out = {buffer, size, 0, 0};
    const char *p = format;
    while (*p != '\0' && !out.overflow) {
        const char *literal = strchr(p, '%');
        if (literal == NULL)
            literal = p + strlen(p);
        put(out, p, (size_t)(literal - p));
        if (*literal == '\0')
            break;
        char conversion = literal[1];
        if (conversion == '\0') {  // a lone '%' at the end
            out.overflow = 1;
            break;
        }
        p = literal + 2;
        char digits[24];
        switch (conversion) {
        case 's': {
            const char *text = va_arg(arguments, const char *);
            if (text == NULL)
                text = "(null)";
            put(out, text, strlen(text));
            break;
        }
        case 'd': {
            int value = va_arg(arguments, int);
            // The magnitude as unsigned, so the most negative int has one too.
            unsigned magnitude = value < 0 ? 0u - (unsigned)value : (unsigned)value;
            if (value < 0)
                put(out, "-", 1);
            size_t start = decimal(digits, sizeof digits, magnitude);
            put(out, digits + start, sizeof digits - start);
            break;
        }
        case 'u': {
            unsigned value = va_arg(arguments, unsigned);
            size_t start = decimal(digits, sizeof digits, value);
            put(out, digits + start, sizeof digits - start);
            break;
        }
        case 'c': {
            char c = (char)va_arg(arguments, int);
            put(out, &c, 1);
            break;
        }
        case '%':
            put(out, "%", 1);
            break;
        default:  // a conversion this formatter does not know
            out.overflow = 1;
            break;
        }
    }
    if (out.overflow) {
        buffer[0] = '\0';
        return 0;
    }
    buffer[out.length] = '\0';
    return 1;
}

int formatText(char *buffer, size_t size, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int fit = formatTextList(buffer, size, format, arguments);
    va_end(arguments);
    return fit;
}

int copyText(char *buffer, size_t size, const char *text)
{
    return formatText(buffer, size, "%s", text);
}

int appendText(char *buffer, size_t size, const char *text)
{
    if (buffer == NULL || size == 0)
        return 0;
    size_t used = strnlen(buffer, size);
    size_t add = strlen(text);
    if (used >= size || add >= size - used)
        return 0;
    memcpy(buffer + used, text, add + 1);
    return 1;
}
