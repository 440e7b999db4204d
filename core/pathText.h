// The character rules every path routine shares.
#ifndef VELMORANT_PATH_TEXT_H
#define VELMORANT_PATH_TEXT_H

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

#endif
