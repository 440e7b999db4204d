// The uninstaller's path rules with inputs of any content: the helper's command line, stored
// names and folders. Nothing may be written outside the stated size; an accepted command line
// names only an uninstaller's file; an accepted stored name never climbs out of the folder.
// Every other input runs with the lead bytes of code page 932.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "core/uninstallTexts.h"
#include "tests/core/codePage932.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Buffer of capacity bytes inside guard bytes that must stay untouched.
struct Guarded {
    char bytes[1100];
    size_t capacity;
    explicit Guarded(size_t size) : capacity(size) { memset(bytes, 0x5A, sizeof bytes); }
    char *buffer() { return bytes + 8; }
    void verify()
    {
        for (size_t k = 0; k < sizeof bytes; ++k)
            if (k < 8 || k >= 8 + capacity)
                check((unsigned char)bytes[k] == 0x5A);
        if (capacity > 0)
            check(strnlen(buffer(), capacity) < capacity);
    }
};

// Whether a component of name, split at whole separator characters, is "..".
bool hasParentStep(const std::string &name, const LeadBytes &lead)
{
    std::string component;
    for (size_t i = 0;; i += characterLength(name.c_str() + i, lead)) {
        if (i >= name.size() || name[i] == '\\' || name[i] == '/') {
            if (component == "..")
                return true;
            if (i >= name.size())
                return false;
            component.clear();
        } else {
            component.append(name, i, characterLength(name.c_str() + i, lead));
        }
    }
}

}  // namespace

// Input: one byte of buffer size, then two texts separated by a line feed.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    size_t capacity = data[0] % 80;
    const LeadBytes &lead = data[0] / 80 % 2 ? codePage932 : singleByte;
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    if (rest.find('\0') != std::string::npos || rest.size() > 1000)
        return 0;
    size_t cut = rest.find('\n');
    std::string first = rest.substr(0, cut);
    std::string second = cut == std::string::npos ? "" : rest.substr(cut + 1);

    Guarded path(capacity);
    uint32_t id = 0;
    int parsed = parseFinishArguments(rest.c_str(), &id, path.buffer(), capacity, lead);
    path.verify();
    if (parsed) {
        std::string name = fileNameOfPath(path.buffer(), lead);
        check(sameFolder(name.c_str(), "qxuninst.exe", lead) && name.size() < strlen(path.buffer()));
        Guarded again(1024);
        check(buildFinishArguments(again.buffer(), 1024, id, path.buffer()));
        uint32_t idAgain = 0;
        Guarded pathAgain(1024);
        check(parseFinishArguments(again.buffer(), &idAgain, pathAgain.buffer(), 1024, lead));
        check(idAgain == id && strcmp(pathAgain.buffer(), path.buffer()) == 0);
    }

    if (isRemovableStoredName(second.c_str(), lead)) {
        check(!hasParentStep(second, lead) && second.find(':') == std::string::npos);
        check(second[0] != '/' && second[0] != '\\');
    }
    Guarded installed(capacity);
    buildInstalledFilePath(installed.buffer(), capacity, first.c_str(), second.c_str(), lead);
    installed.verify();

    Guarded folder(capacity);
    folderOfPath(folder.buffer(), capacity, rest.c_str(), lead);
    folder.verify();

    Guarded report(capacity);
    if (capacity > 0)
        report.buffer()[0] = '\0';
    appendReportLine(report.buffer(), capacity, first.c_str(), second.c_str());
    report.verify();

    Guarded text(capacity);
    buildFinalText(text.buffer(), capacity, first.c_str(), second.c_str(), (int32_t)capacity,
                   first.c_str(), second.c_str());
    text.verify();
    return 0;
}
