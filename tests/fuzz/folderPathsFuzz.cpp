// The folder choice's path routines and the shortcut paths with texts of any content: results
// fit their buffers or are refused with nothing left behind, nothing is written past a
// buffer, and the dialog's split and composition give back what they were handed. Half the
// inputs run with the lead bytes of code page 932, where a character's second byte can be a
// separator.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/shortcutPaths.h"
#include "core/folderPaths.h"
#include "tests/core/codePage932.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

const LeadBytes *lead = &singleByte;

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The text's characters, one or two bytes each.
std::vector<std::string> characters(const std::string &text)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        size_t length = characterLength(text.c_str() + i, *lead);
        out.push_back(text.substr(i, length));
        i += length;
    }
    return out;
}

bool isSeparatorCharacter(const std::string &character)
{
    return character.size() == 1 && isSeparator(character[0]);
}

bool hasSeparatorCharacter(const std::string &text, char which)
{
    for (const std::string &c : characters(text))
        if (c.size() == 1 && c[0] == which)
            return true;
    return false;
}

std::string withoutSeparators(const std::string &text)
{
    std::string out;
    for (const std::string &c : characters(text))
        if (!isSeparatorCharacter(c))
            out += c;
    return out;
}

// A buffer with guard bytes on both sides; intact() tells whether they are untouched.
struct Guarded {
    char area[1100];
    size_t capacity;
    explicit Guarded(size_t size) : capacity(size) { memset(area, 0x5A, sizeof area); }
    char *buffer() { return area + 16; }
    bool intact() const
    {
        for (size_t k = 0; k < sizeof area; ++k)
            if ((k < 16 || k >= 16 + capacity) && (unsigned char)area[k] != 0x5A)
                return false;
        return true;
    }
    // The stored text, which must end inside the buffer.
    std::string text()
    {
        size_t length = strnlen(buffer(), capacity);
        check(length < capacity);
        return std::string(buffer(), length);
    }
};

void checkInPlaceRoutines(const std::string &path, char character)
{
    // In place, on a buffer exactly as long as the text: nothing past its NUL is touched.
    Guarded normalized(path.size() + 1);
    memcpy(normalized.buffer(), path.c_str(), path.size() + 1);
    normalizeSeparators(normalized.buffer(), *lead);
    check(normalized.intact());
    std::string out = normalized.text();
    check(out.size() <= path.size());
    // No "/" and no run of separators, but for a network path's leading pair.
    std::vector<std::string> outCharacters = characters(out);
    bool network = path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
    check(network == (out.size() >= 2 && out[0] == '\\' && out[1] == '\\'));
    for (size_t i = 0; i < outCharacters.size(); ++i) {
        check(outCharacters[i] != "/");
        check(i == 0 || (network && i == 1) || !isSeparatorCharacter(outCharacters[i - 1]) ||
              !isSeparatorCharacter(outCharacters[i]));
    }
    check(withoutSeparators(out) == withoutSeparators(path));
    check((path.empty() || !isSeparator(path[0])) == (out.empty() || out[0] != '\\'));
    std::string again = out;
    normalizeSeparators(&again[0], *lead);
    check(strcmp(again.c_str(), out.c_str()) == 0);

    Guarded stripped(path.size() + 1);
    memcpy(stripped.buffer(), path.c_str(), path.size() + 1);
    stripTrailing(stripped.buffer(), character, *lead);
    check(stripped.intact());
    std::string cut = stripped.text();
    std::vector<std::string> pathCharacters = characters(path);
    bool last = !pathCharacters.empty() && pathCharacters.back() == std::string(1, character);
    check(cut == (last ? path.substr(0, path.size() - 1) : path));

    Guarded dropped(path.size() + 1);
    memcpy(dropped.buffer(), path.c_str(), path.size() + 1);
    dropTrailingSeparators(dropped.buffer(), *lead);
    check(dropped.intact());
    std::string kept = dropped.text();
    check(path.compare(0, kept.size(), kept) == 0);
    check(withoutSeparators(kept) == withoutSeparators(path));
    check(path.empty() || !kept.empty());
}

void checkSplitAndCompose(const std::string &folder, size_t capacity)
{
    Guarded parent(capacity), application(capacity);
    int fit = splitFolder(folder.c_str(), parent.buffer(), capacity, application.buffer(),
                          capacity, *lead);
    check(parent.intact() && application.intact());
    std::string p = parent.text(), a = application.text();
    if (!fit) {
        check(p.empty() && a.empty());
        return;
    }
    if (!hasSeparatorCharacter(folder, '\\') && !hasSeparatorCharacter(folder, '/')) {
        check(p == folder && a.empty());
    } else {
        check(folder.size() == p.size() + 1 + a.size());
        check(folder.compare(0, p.size(), p) == 0 && isSeparator(folder[p.size()]));
        check(folder.compare(p.size() + 1, std::string::npos, a) == 0);
        check(!hasSeparatorCharacter(a, '\\'));
        // The parent ends on a whole character.
        check(characters(p).size() + 1 + characters(a).size() == characters(folder).size());
    }

    // OK composes the two fields back: the same folder but for "/" in the parent part and a
    // separator added after an empty parent.
    Guarded composed(capacity);
    int composedFit = composeChosenFolder(composed.buffer(), capacity, p.c_str(), a.c_str(), *lead);
    check(composed.intact());
    std::string c = composed.text();
    if (!composedFit) {
        check(c.empty());
        return;
    }
    std::string parentPart;
    for (const std::string &ch : characters(p))
        parentPart += ch == "/" ? "\\" : ch;
    std::vector<std::string> parentCharacters = characters(parentPart);
    bool addSeparator = parentCharacters.empty() || parentCharacters.back() != "\\";
    check(c == parentPart + (addSeparator ? "\\" : "") + a);
    if (!a.empty() && !hasSeparatorCharacter(a, '/')) {
        // The application folder comes back whole from a second split.
        Guarded p2(capacity), a2(capacity);
        check(splitFolder(c.c_str(), p2.buffer(), capacity, a2.buffer(), capacity, *lead) == 1);
        check(a2.text() == a);
    }
}

void checkHomeDefault(const std::string &drive, const std::string &home, const std::string &name,
                      size_t capacity, int unset)
{
    Guarded folder(capacity);
    const char *homeDrive = unset & 1 ? NULL : drive.c_str();
    const char *homePath = unset & 2 ? NULL : home.c_str();
    int fit = buildHomeDefault(folder.buffer(), capacity, homeDrive, homePath, name.c_str(), *lead);
    check(folder.intact());
    std::string out = folder.text();
    if (!fit) {
        check(out.empty());
        return;
    }
    std::string ending = "\\" + name;
    check(out.size() >= ending.size() && out.compare(out.size() - ending.size(), ending.size(), ending) == 0);
    check(endsWithFolderName(out.c_str(), name.c_str(), *lead) == 1);
    check(fitsFolderFields(out.c_str()) == (out.size() <= 259));
}

void checkShortcutPaths(const std::string &special, const std::string &group,
                        const std::string &name, size_t capacity)
{
    Guarded groupFolder(capacity), link(capacity), stale(capacity);
    int groupFit = buildGroupFolderPath(groupFolder.buffer(), capacity, special.c_str(), group.c_str());
    int linkFit = buildLinkPath(link.buffer(), capacity, special.c_str(),
                                group.empty() ? NULL : group.c_str(), name.c_str());
    check(groupFolder.intact() && link.intact());
    std::string g = groupFolder.text(), l = link.text();
    check(groupFit ? g == special + "\\" + group : g.empty());
    std::string expected = special + "\\" + (group.empty() ? "" : group + "\\") + name + ".lnk";
    check(linkFit ? l == expected : l.empty());
    check(linkFit == (expected.size() < capacity));
    int staleFit = buildStaleLinkPath(stale.buffer(), capacity, l.c_str());
    check(stale.intact());
    check(staleFit ? stale.text() == l + ".lnk" : stale.text().empty());
}

}  // namespace

// Input: a size byte, a character byte (with its bit of value 4 set: code page 932), then up
// to three texts separated by line feeds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    size_t capacity = 1 + data[0] * 4;  // 1 to 1021
    char character = (char)data[1];
    lead = data[1] & 4 ? &codePage932 : &singleByte;
    std::string rest(reinterpret_cast<const char *>(data + 2), size - 2);
    // Texts end at a NUL; the guarded buffers take texts up to 1000 characters, which is
    // about what the program's 1024-byte buffers hold.
    rest = rest.substr(0, std::min<size_t>(strnlen(rest.c_str(), rest.size()), 1000));
    std::string texts[3];
    for (int i = 0, start = 0; i < 3; ++i) {
        size_t cut = i < 2 ? rest.find('\n', start) : std::string::npos;
        texts[i] = rest.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        if (cut == std::string::npos)
            break;
        start = (int)cut + 1;
    }

    checkInPlaceRoutines(texts[0], character);
    checkSplitAndCompose(texts[0], capacity);
    checkSplitAndCompose(texts[1], capacity);
    checkHomeDefault(texts[0], texts[1], texts[2], capacity, data[1] & 3);
    check(endsWithFolderName(texts[0].c_str(), texts[0].c_str(), *lead) == 1);
    check(endsWithFolderName(texts[0].c_str(), "", *lead) == 1);
    check(sameFolder(texts[0].c_str(), texts[0].c_str(), *lead) ==
          (withoutSeparators(texts[0]).size() > 0));
    // A device name stays one below any folder.
    int device = namesDevice(texts[0].c_str(), *lead);
    check(namesDevice(("C:\\Apps\\" + texts[0]).c_str(), *lead) == device);
    checkShortcutPaths(texts[0], texts[1], texts[2], capacity);
    return 0;
}
