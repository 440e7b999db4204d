// Text building into fixed buffers. A routine either stores the whole result with its
// terminating NUL, or reports that the text would not fit and leaves no partial text behind:
// a caller never sees a text cut short, and nothing is written past the buffer.
#ifndef VELMORANT_BOUNDED_TEXT_H
#define VELMORANT_BOUNDED_TEXT_H

#include <stdarg.h>
#include <stddef.h>

// Conversions: %s (text, null prints "(null)"), %d (int), %u (unsigned), %c (char), %%.
// Any other conversion counts as a failure. Returns 1 when the text fit; else 0, with the
// buffer holding the empty string.
int formatText(char *buffer, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
int formatTextList(char *buffer, size_t size, const char *format, va_list arguments);

// copyText: buffer = text. appendText: buffer += text (an unchanged buffer when it does not fit).
int copyText(char *buffer, size_t size, const char *text);
int appendText(char *buffer, size_t size, const char *text);

#endif
