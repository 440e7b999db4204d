#include "uninstallTexts.h"

#include <string.h>

#include "payloadNames.h"
#include "boundedText.h"
#include "installerSettings.h"
#include "pathText.h"

namespace {

const char *lastSeparator(const char *path, const LeadBytes &lead)
{
    const char *last = NULL;
    for (const char *p = path; *p != '\0'; p += characterLength(p, lead))
        if (isPathSeparator(*p))
            last = p;
    return last;
}

void clear(char *buffer, size_t size)
{
    if (size > 0)
        buffer[0] = '\0';
}

const char finishFlag[] = "/finish ";
const char helperFolderPrefix[] = "qxu";

}  // namespace

int folderOfPath(char *folder, size_t size, const char *path, const LeadBytes &lead)
{
    const char *last = lastSeparator(path, lead);
    if (last == NULL || (size_t)(last - path) >= size) {
        clear(folder, size);
        return 0;
    }
    memcpy(folder, path, (size_t)(last - path));
    folder[last - path] = '\0';
    return 1;
}

const char *fileNameOfPath(const char *path, const LeadBytes &lead)
{
    const char *last = lastSeparator(path, lead);
    return last != NULL ? last + 1 : path;
}

int cutLastComponent(char *path, const LeadBytes &lead)
{
    const char *last = lastSeparator(path, lead);
    if (last == NULL)
        return 0;
    path[last - path] = '\0';
    return 1;
}

int installationFolderOfPath(char *folder, size_t size, const char *path, const LeadBytes &lead)
{
    int full = (path[0] != '\0' && path[1] == ':' && isPathSeparator(path[2])) ||
               (isPathSeparator(path[0]) && isPathSeparator(path[1]));
    if (!full || !folderOfPath(folder, size, path, lead)) {
        clear(folder, size);
        return 0;
    }
    if (folder[1] == ':' && folder[2] == '\0' && !appendText(folder, size, "\\")) {
        clear(folder, size);
        return 0;
    }
    return 1;
}

int isRemovableFolder(const char *folder, const LeadBytes &lead)
{
    size_t length = trimmedPathLength(folder, lead);
    if (length > 3 && folder[1] == ':' && isPathSeparator(folder[2]))
        return 1;
    if (length < 2 || !isPathSeparator(folder[0]) || !isPathSeparator(folder[1]))
        return 0;
    // "\\server\share" is the root of the share; a folder below it has one more separator.
    int separators = 0;
    for (size_t i = 2; i < length; i += characterLength(folder + i, lead))
        if (isPathSeparator(folder[i]))
            separators++;
    return separators >= 2;
}

int commandProgramPath(char *path, size_t size, const char *command)
{
    if (command[0] != '"')
        return copyText(path, size, command);
    const char *close = strchr(command + 1, '"');
    size_t length = close != NULL ? (size_t)(close - command - 1) : 0;
    if (close == NULL || length + 1 > size) {
        clear(path, size);
        return 0;
    }
    memcpy(path, command + 1, length);
    path[length] = '\0';
    return 1;
}

int isRemovableStoredName(const char *storedName, const LeadBytes &lead)
{
    if (storedName[0] == '\0' || hasSystemPrefix(storedName) || isPathSeparator(storedName[0]))
        return 0;
    if (strchr(storedName, ':') != NULL)  // a drive or a stream: not a plain relative path
        return 0;
    const char *start = storedName;
    for (;;) {
        const char *end = start;
        while (*end != '\0' && !isPathSeparator(*end))
            end += characterLength(end, lead);
        size_t length = (size_t)(end - start);
        if (length == 0 || (length == 1 && start[0] == '.') ||
            (length == 2 && start[0] == '.' && start[1] == '.'))
            return 0;
        if (*end == '\0')
            return 1;
        start = end + 1;
    }
}

int buildInstalledFilePath(char *path, size_t size, const char *folder, const char *storedName,
                           const LeadBytes &lead)
{
    size_t folderLength = trimmedPathLength(folder, lead);
    if (folderLength == 0) {
        clear(path, size);
        return 0;
    }
    size_t nameLength = strlen(storedName);
    if (folderLength + 1 + nameLength + 1 > size) {
        clear(path, size);
        return 0;
    }
    memcpy(path, folder, folderLength);
    path[folderLength] = '\\';
    char *name = path + folderLength + 1;
    memcpy(name, storedName, nameLength + 1);
    for (char *c = name; *c != '\0'; c += characterLength(c, lead))
        if (*c == '/')
            *c = '\\';
    return 1;
}

int buildFailureReason(char *reason, size_t size, uint32_t errorCode, int readOnly)
{
    if (readOnly)
        return copyText(reason, size, "it is read-only");
    switch (errorCode) {
    case 5:  // ERROR_ACCESS_DENIED
        return copyText(reason, size, "access denied");
    case 32:  // ERROR_SHARING_VIOLATION
        return copyText(reason, size, "it is in use");
    case 145:  // ERROR_DIR_NOT_EMPTY
        return copyText(reason, size, "the folder is not empty");
    }
    return formatText(reason, size, "error %u", (unsigned)errorCode);
}

int appendReportLine(char *report, size_t size, const char *item, const char *reason)
{
    size_t used = strlen(report);
    if (used >= size)
        return 0;
    // Formatted after the text already there, so a line that does not fit leaves it intact.
    if (!formatText(report + used, size - used, "\r\n%s (%s)", item, reason)) {
        report[used] = '\0';
        return 0;
    }
    return 1;
}

int buildFinishArguments(char *text, size_t size, uint32_t processId, const char *uninstallerPath)
{
    return formatText(text, size, "%s%u \"%s\"", finishFlag, (unsigned)processId, uninstallerPath);
}

int parseFinishArguments(const char *arguments, uint32_t *processId, char *path, size_t size,
                         const LeadBytes &lead)
{
    clear(path, size);
    size_t flagLength = strlen(finishFlag);
    if (strncmp(arguments, finishFlag, flagLength) != 0)
        return 0;
    const char *p = arguments + flagLength;
    uint32_t id = 0;
    if (*p < '0' || *p > '9')
        return 0;
    while (*p >= '0' && *p <= '9') {
        uint32_t digit = (uint32_t)(*p - '0');
        if (id > (0xFFFFFFFFu - digit) / 10)
            return 0;
        id = id * 10 + digit;
        p++;
    }
    if (p[0] != ' ' || p[1] != '"')
        return 0;
    p += 2;
    const char *close = strchr(p, '"');
    if (close == NULL || close[1] != '\0' || close == p)
        return 0;
    size_t length = (size_t)(close - p);
    if (length + 1 > size)
        return 0;
    memcpy(path, p, length);
    path[length] = '\0';
    // The helper deletes only an uninstaller's own file, never whatever a command line names.
    const char *name = fileNameOfPath(path, lead);
    if (name == path || !sameFolder(name, UNINSTALLER_FILE_NAME, lead)) {
        clear(path, size);
        return 0;
    }
    *processId = id;
    return 1;
}

int appendRenameEntry(char *section, size_t size, const char *shortPath)
{
    // The end of the list: the offset of its empty last line.
    size_t used = 0;
    while (used < size && section[used] != '\0')
        used += strnlen(section + used, size - used) + 1;
    if (used >= size)
        return 0;  // not a terminated list
    size_t lineLength = 4 + strlen(shortPath);  // "NUL=" and the path
    if (used + lineLength + 2 > size)
        return 0;
    memcpy(section + used, "NUL=", 4);
    memcpy(section + used + 4, shortPath, lineLength - 4);
    section[used + lineLength] = '\0';
    section[used + lineLength + 1] = '\0';
    return 1;
}

int buildHandOverEventName(char *name, size_t size, const char *drawnName)
{
    return formatText(name, size, "qxuninst-handover-%s", drawnName);
}

int buildHelperFolderName(char *name, size_t size, uint32_t high, uint32_t low)
{
    return formatText(name, size, "%s%u-%u", helperFolderPrefix, (unsigned)high, (unsigned)low);
}

int isHelperFolderName(const char *name)
{
    size_t prefixLength = strlen(helperFolderPrefix);
    if (strncmp(name, helperFolderPrefix, prefixLength) != 0)
        return 0;
    const char *p = name + prefixLength;
    for (int number = 0; number < 2; ++number) {
        if (number == 1 && *p++ != '-')
            return 0;
        uint32_t value = 0;
        const char *digits = p;
        for (; *p >= '0' && *p <= '9'; ++p) {
            uint32_t digit = (uint32_t)(*p - '0');
            if (value > (0xFFFFFFFFu - digit) / 10)
                return 0;
            value = value * 10 + digit;
        }
        // As %u writes them: at least one digit, no leading zero.
        if (p == digits || (digits[0] == '0' && p - digits > 1))
            return 0;
    }
    return *p == '\0';
}

int buildConfirmTitle(char *title, size_t size, const char *productName)
{
    return formatText(title, size, "Uninstall %s", productName);
}

int buildConfirmText(char *text, size_t size, const char *productName, const char *dataFolder)
{
    return formatText(text, size,
                      "%s will be removed from your computer: its program files in the "
                      "folder\r\n\r\n%s\r\n\r\nits Start-menu shortcuts and its entry in the "
                      "list of installed programs. Files that you have added to the folder "
                      "are kept.\r\n\r\nDo you want to remove %s now?",
                      productName, dataFolder, productName);
}

int buildNotFoundText(char *text, size_t size, const char *productName, const char *dataFolder)
{
    return formatText(text, size,
                      "No installation of %s was found in the folder\r\n\r\n%s\r\n\r\nNothing "
                      "has been removed.",
                      productName, dataFolder);
}

int buildAlreadyRunningText(char *text, size_t size, const char *productName)
{
    return formatText(text, size,
                      "The setup program or the uninstaller of %s is already running. Let it "
                      "finish first; this uninstaller ends now without removing anything.",
                      productName);
}

int buildIncompleteTitle(char *title, size_t size, const char *productName)
{
    return formatText(title, size, "%s Not Completely Removed", productName);
}

int buildFinalText(char *text, size_t size, const char *productName, const char *failures,
                   int32_t dropped, const char *keptFolder, const char *restartItems)
{
    int fits;
    if (failures[0] == '\0')
        fits = formatText(text, size, "%s has been removed from your computer.", productName);
    else
        fits = formatText(text, size,
                          "%s has been removed from your computer, except for the following, "
                          "which could not be removed:\r\n%s",
                          productName, failures);
    char line[TEXT_BUFFER_SIZE];
    if (fits && dropped > 0)
        fits = formatText(line, sizeof line, "\r\n(and %d more)", (int)dropped) &&
               appendText(text, size, line);
    if (fits && failures[0] != '\0')
        fits = appendText(text, size,
                          "\r\n\r\nClose any program that may be using them, then delete them "
                          "yourself.");
    if (fits && keptFolder[0] != '\0')
        fits = appendText(text, size, "\r\n\r\nThe folder ") &&
               appendText(text, size, keptFolder) &&
               appendText(text, size, " was kept because it holds files that were not "
                                      "installed with ") &&
               appendText(text, size, productName) && appendText(text, size, ".");
    if (fits && restartItems[0] != '\0')
        fits = appendText(text, size, "\r\n\r\nLeft until Windows restarts, then removed:") &&
               appendText(text, size, restartItems);
    if (!fits)
        clear(text, size);
    return fits;
}

int buildLeftForRestartText(char *text, size_t size, const char *uninstallerPath,
                            const char *reason)
{
    return formatText(text, size,
                      "The uninstaller\r\n\r\n%s\r\n\r\ncould not be removed (%s). It will be "
                      "removed, with its folder if that is then empty, when Windows restarts.",
                      uninstallerPath, reason);
}
