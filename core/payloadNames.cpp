#include "payloadNames.h"

#include <string.h>

#include "boundedText.h"

int hasSystemPrefix(const char *storedName)
{
    return strncmp(storedName, "SYSTEM", 6) == 0 &&
           (storedName[6] == '/' || storedName[6] == '\\');
}

int pathNamesDll(const char *path)
{
    return strstr(path, "DLL") != NULL || strstr(path, "dll") != NULL;
}

int32_t percentDone(int32_t done, int32_t total)
{
    if (total <= 0 || done >= total)
        return 100;
    if (done <= 0)
        return 0;
    // The largest percent with percent * total <= done * 100, bit by bit: products of 64 bits
    // from 32-bit factors, and no 64-bit division, which would pull in a runtime routine.
    uint32_t percent = 0;
    for (uint32_t bit = 64; bit != 0; bit >>= 1)
        if ((uint64_t)(percent + bit) * (uint32_t)total <= (uint64_t)(uint32_t)done * 100u)
            percent += bit;
    return (int32_t)percent;
}

int buildSystemDestination(char *path, size_t size, const char *systemDirectory,
                           const char *storedName, const LeadBytes &lead)
{
    if (systemDirectory[0] == '\0') {
        if (size > 0)
            path[0] = '\0';  // like every refusal: no text left behind
        return 0;
    }
    const char *separator = lastCharacterSeparator(systemDirectory, lead) != NULL ? "" : "\\";
    return formatText(path, size, "%s%s%s", systemDirectory, separator, storedName + 7);
}

size_t nextParentFolder(const char *path, size_t *position, const LeadBytes &lead)
{
    for (size_t k = *position; path[k] != '\0'; k += characterLength(path + k, lead)) {
        if (!isPathSeparator(path[k]))
            continue;
        *position = k + 1;
        int drive = k == 2 && characterLength(path, lead) == 1 && path[1] == ':';
        if (k > 0 && !drive)
            return k;
    }
    return 0;
}

uint64_t windowsFileTime(int32_t unixTime)
{
    const int64_t secondsFrom1601To1970 = 11644473600;
    return (uint64_t)(unixTime + secondsFrom1601To1970) * 10000000u;
}
