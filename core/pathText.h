// The character rules every path routine shares.
#ifndef VELMORANT_PATH_TEXT_H
#define VELMORANT_PATH_TEXT_H

#include <stddef.h>

// The lead bytes of the ANSI code page. On a double-byte code page (932, 936, 949, 950) a
// lead byte and the byte after it are one character, and that second byte can be a "\" or a
// letter: every routine that walks a path steps over such pairs. All zero: a single-byte
// code page.
struct LeadBytes {
    unsigned char isLead[256];
};

// Both separators are accepted wherever a path is read.
inline int isPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

// ASCII letters only: the code page's other letters are left as they are.
inline char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// The bytes of the character at text: 2 for a lead byte with a byte after it, else 1.
inline size_t characterLength(const char *text, const LeadBytes &lead)
{
    return lead.isLead[(unsigned char)text[0]] && text[1] != '\0' ? 2 : 1;
}

// The separator that is the last character of text, or NULL when it ends otherwise.
inline const char *lastCharacterSeparator(const char *text, const LeadBytes &lead)
{
    const char *last = NULL;
    for (const char *p = text; *p != '\0'; p += characterLength(p, lead))
        last = isPathSeparator(*p) ? p : NULL;
    return last;
}

// The length of path without the separators at its end.
inline size_t trimmedPathLength(const char *path, const LeadBytes &lead)
{
    size_t length = 0;
    for (const char *p = path; *p != '\0'; p += characterLength(p, lead))
        if (!isPathSeparator(*p))
            length = (size_t)(p - path) + characterLength(p, lead);
    return length;
}

#endif
