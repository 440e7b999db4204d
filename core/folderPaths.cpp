#include "folderPaths.h"

#include <string.h>

#include "boundedText.h"
#include "pathText.h"

void stripTrailing(char *path, char character)
{
    size_t length = strlen(path);
    if (length > 0 && path[length - 1] == character)
        path[length - 1] = '\0';
}

void normalizeSeparators(char *path)
{
    // The result is never longer than the original, so it is built in place.
    char *out = path;
    int inRun = 0;
    for (const char *in = path; *in != '\0'; ++in) {
        if (isPathSeparator(*in)) {
            if (!inRun)
                *out++ = '\\';
            inRun = 1;
        } else {
            *out++ = *in;
            inRun = 0;
        }
    }
    *out = '\0';
}

int splitFolder(const char *folder, char *parent, size_t parentSize, char *application,
                size_t applicationSize)
{
    const char *separator = strrchr(folder, '\\');
    if (separator == NULL)
        separator = strrchr(folder, '/');
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

int composeChosenFolder(char *path, size_t size, const char *parent, const char *application)
{
    if (!copyText(path, size, parent))
        return 0;
    for (char *c = path; *c != '\0'; ++c)
        if (*c == '/')
            *c = '\\';
    size_t length = strlen(path);
    if ((length == 0 || path[length - 1] != '\\') && !appendText(path, size, "\\")) {
        path[0] = '\0';
        return 0;
    }
    if (!appendText(path, size, application)) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}

void dropTrailingSeparators(char *path)
{
    size_t length = strlen(path);
    while (length > 1 && isPathSeparator(path[length - 1]) && !(length == 3 && path[1] == ':'))
        path[--length] = '\0';
}

int endsWithFolderName(const char *path, const char *folderName)
{
    size_t pathLength = strlen(path);
    size_t nameLength = strlen(folderName);
    if (pathLength < nameLength)
        return 0;
    const char *tail = path + pathLength - nameLength;
    for (size_t i = 0; i < nameLength; ++i)
        if (lowerAscii(tail[i]) != lowerAscii(folderName[i]))
            return 0;
    return 1;
}

int buildHomeDefault(char *folder, size_t size, const char *homeDrive, const char *homePath,
                     const char *folderName)
{
    if (homeDrive == NULL)
        homeDrive = "C:";
    if (homePath == NULL)
        homePath = "";
    int ok;
    if (strlen(homePath) <= 1 || homePath[1] != ':') {
        ok = copyText(folder, size, homeDrive);
        if (ok) {
            stripTrailing(folder, '\\');
            stripTrailing(folder, '/');
            ok = appendText(folder, size, homePath);
        }
    } else {
        ok = copyText(folder, size, homePath);  // it names its own drive
    }
    if (ok) {
        stripTrailing(folder, '\\');
        stripTrailing(folder, '/');
        ok = appendText(folder, size, "\\") && appendText(folder, size, folderName);
    }
    if (!ok && size > 0)
        folder[0] = '\0';
    return ok;
}

namespace {

// The part of the component at name (ending at a separator or the end) that Windows
// compares with the device names: up to the first "." or ":", without trailing blanks.
int componentIsDevice(const char *name)
{
    size_t length = 0;
    while (name[length] != '\0' && !isPathSeparator(name[length]) && name[length] != '.' &&
           name[length] != ':')
        ++length;
    while (length > 0 && name[length - 1] == ' ')
        --length;
    char stem[5];
    if (length < 3 || length > 4)
        return 0;
    for (size_t i = 0; i < length; ++i)
        stem[i] = lowerAscii(name[i]);
    stem[length] = '\0';
    if (length == 3)
        return strcmp(stem, "con") == 0 || strcmp(stem, "prn") == 0 ||
               strcmp(stem, "aux") == 0 || strcmp(stem, "nul") == 0;
    return (strncmp(stem, "com", 3) == 0 || strncmp(stem, "lpt", 3) == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

}  // namespace

int namesDevice(const char *path)
{
    for (const char *component = path;; ++component) {
        if (componentIsDevice(component))
            return 1;
        component = strpbrk(component, "\\/:");
        if (component == NULL)
            return 0;
    }
}

int fitsFolderFields(const char *path)
{
    return strlen(path) <= FOLDER_FIELD_LIMIT;
}
