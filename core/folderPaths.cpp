#include "folderPaths.h"

#include <string.h>

#include "boundedText.h"
#include "pathText.h"

void stripTrailing(char *path, char character, const LeadBytes &lead)
{
    char *last = NULL;
    for (char *p = path; *p != '\0'; p += characterLength(p, lead))
        last = p;
    if (last != NULL && last[0] == character && last[1] == '\0')
        last[0] = '\0';
}

void normalizeSeparators(char *path, const LeadBytes &lead)
{
    // The result is never longer than the original, so it is built in place. A network path
    // ("\\server\share") keeps its two leading separators.
    size_t start = isPathSeparator(path[0]) && isPathSeparator(path[1]) ? 1 : 0;
    if (start == 1)
        path[0] = '\\';
    char *out = path + start;
    int inRun = 0;
    for (const char *in = path + start; *in != '\0';) {
        size_t length = characterLength(in, lead);
        if (isPathSeparator(*in)) {
            if (!inRun)
                *out++ = '\\';
            inRun = 1;
        } else {
            for (size_t k = 0; k < length; ++k)
                *out++ = in[k];
            inRun = 0;
        }
        in += length;
    }
    *out = '\0';
}

int splitFolder(const char *folder, char *parent, size_t parentSize, char *application,
                size_t applicationSize, const LeadBytes &lead)
{
    const char *backslash = NULL;
    const char *slash = NULL;
    for (const char *p = folder; *p != '\0'; p += characterLength(p, lead)) {
        if (*p == '\\')
            backslash = p;
        else if (*p == '/')
            slash = p;
    }
    const char *separator = backslash != NULL ? backslash : slash;
    size_t parentLength = separator != NULL ? (size_t)(separator - folder) : strlen(folder);
    const char *rest = separator != NULL ? separator + 1 : "";
    if (parentLength >= parentSize || !copyText(application, applicationSize, rest)) {
        if (parentSize > 0)
            parent[0] = '\0';
        if (applicationSize > 0)
            application[0] = '\0';
        return 0;
    }
    memcpy(parent, folder, parentLength);
    parent[parentLength] = '\0';
    return 1;
}

int composeChosenFolder(char *path, size_t size, const char *parent, const char *application,
                        const LeadBytes &lead)
{
    if (!copyText(path, size, parent))
        return 0;
    for (char *c = path; *c != '\0'; c += characterLength(c, lead))
        if (*c == '/')
            *c = '\\';
    if ((path[0] == '\0' || lastCharacterSeparator(path, lead) == NULL) &&
        !appendText(path, size, "\\")) {
        path[0] = '\0';
        return 0;
    }
    if (!appendText(path, size, application)) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}

void dropTrailingSeparators(char *path, const LeadBytes &lead)
{
    size_t length = trimmedPathLength(path, lead);
    if (length == 0 && path[0] != '\0')
        length = 1;  // the root "\" of the current drive
    else if (length == 2 && characterLength(path, lead) == 1 && path[1] == ':' && path[2] != '\0')
        length = 3;  // a drive's root "C:\"
    path[length] = '\0';
}

int endsWithFolderName(const char *path, const char *folderName, const LeadBytes &lead)
{
    size_t pathLength = strlen(path);
    size_t nameLength = strlen(folderName);
    if (pathLength < nameLength)
        return 0;
    // The name must begin on a character of the path, not on the second byte of one.
    const char *tail = path;
    while ((size_t)(tail - path) < pathLength - nameLength)
        tail += characterLength(tail, lead);
    if ((size_t)(tail - path) != pathLength - nameLength)
        return 0;
    for (size_t i = 0; i < nameLength; i += characterLength(tail + i, lead)) {
        if (characterLength(tail + i, lead) == 2 ? tail[i] != folderName[i] ||
                                                       tail[i + 1] != folderName[i + 1]
                                                 : lowerAscii(tail[i]) != lowerAscii(folderName[i]))
            return 0;
    }
    return 1;
}

int sameFolder(const char *a, const char *b, const LeadBytes &lead)
{
    size_t length = trimmedPathLength(a, lead);
    if (length == 0 || length != trimmedPathLength(b, lead))
        return 0;
    for (size_t i = 0; i < length;) {
        size_t characterBytes = characterLength(a + i, lead);
        if (characterBytes == 2) {
            // A double-byte character has no case: its bytes must match as they are.
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return 0;
        } else {
            char x = a[i] == '/' ? '\\' : lowerAscii(a[i]);
            char y = b[i] == '/' ? '\\' : lowerAscii(b[i]);
            if (x != y)
                return 0;
        }
        i += characterBytes;
    }
    return 1;
}

int buildHomeDefault(char *folder, size_t size, const char *homeDrive, const char *homePath,
                     const char *folderName, const LeadBytes &lead)
{
    if (homeDrive == NULL)
        homeDrive = "C:";
    if (homePath == NULL)
        homePath = "";
    int ok;
    if (strlen(homePath) <= 1 || homePath[1] != ':') {
        ok = copyText(folder, size, homeDrive);
        if (ok) {
            stripTrailing(folder, '\\', lead);
            stripTrailing(folder, '/', lead);
            ok = appendText(folder, size, homePath);
        }
    } else {
        ok = copyText(folder, size, homePath);  // it names its own drive
    }
    if (ok) {
        stripTrailing(folder, '\\', lead);
        stripTrailing(folder, '/', lead);
        ok = appendText(folder, size, "\\") && appendText(folder, size, folderName);
    }
    if (!ok && size > 0)
        folder[0] = '\0';
    return ok;
}

namespace {

// The part of the component at name (ending at a separator or the end) that Windows
// compares with the device names: up to the first "." or ":", without trailing blanks.
// Returns 1 for a device name; end is set to where the component ends.
int componentIsDevice(const char *name, const LeadBytes &lead, const char **end)
{
    size_t length = 0;
    size_t stemLength = 0;
    int inStem = 1;
    while (name[length] != '\0' && !isPathSeparator(name[length]) && name[length] != ':') {
        if (name[length] == '.')
            inStem = 0;
        length += characterLength(name + length, lead);
        if (inStem)
            stemLength = length;
    }
    *end = name + length;
    while (stemLength > 0 && name[stemLength - 1] == ' ')
        --stemLength;
    char stem[5];
    if (stemLength < 3 || stemLength > 4)
        return 0;
    for (size_t i = 0; i < stemLength; ++i)
        stem[i] = lowerAscii(name[i]);
    stem[stemLength] = '\0';
    if (stemLength == 3)
        return strcmp(stem, "con") == 0 || strcmp(stem, "prn") == 0 ||
               strcmp(stem, "aux") == 0 || strcmp(stem, "nul") == 0;
    return (strncmp(stem, "com", 3) == 0 || strncmp(stem, "lpt", 3) == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

}  // namespace

int namesDevice(const char *path, const LeadBytes &lead)
{
    for (const char *component = path;; ++component) {
        const char *end;
        if (componentIsDevice(component, lead, &end))
            return 1;
        if (*end == '\0')
            return 0;
        component = end;
    }
}

int fitsFolderFields(const char *path)
{
    return strlen(path) <= FOLDER_FIELD_LIMIT;
}
