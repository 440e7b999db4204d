// The build tools write the programs' texts and names into generated sources as C literals.
#ifndef VELMORANT_C_LITERAL_H
#define VELMORANT_C_LITERAL_H

#include <cstdio>
#include <string>

// A C string literal holding exactly the bytes of text. With breakLines, a line feed also
// ends the literal's line, so that a long text reads line for line in the generated source.
inline std::string cLiteral(const std::string &text, bool breakLines = false)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c >= 0x20 && c < 0x7f && c != '?') {  // '?' could start a trigraph
            out += (char)c;
        } else if (breakLines && (c == '\r' || c == '\n')) {
            out += c == '\r' ? "\\r" : "\\n\"\n    \"";
        } else {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        }
    }
    return out + "\"";
}

#endif
