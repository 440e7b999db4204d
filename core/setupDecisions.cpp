#include "setupDecisions.h"

#include "boundedText.h"

#include <string.h>

int buildDriveRoot(char *root, size_t size, const char *folder, int currentDrive,
                   const LeadBytes &lead)
{
    if (isPathSeparator(folder[0]) && isPathSeparator(folder[1])) {
        // "\\server\share": up to the separator after the share, or the end.
        const char *end = folder + 2;
        for (int separators = 0; *end != '\0'; end += characterLength(end, lead))
            if (isPathSeparator(*end) && ++separators == 2)
                break;
        size_t length = (size_t)(end - folder);
        if (length + 2 > size) {
            if (size > 0)
                root[0] = '\0';
            return 0;
        }
        memcpy(root, folder, length);
        root[length] = '\\';
        root[length + 1] = '\0';
        return 1;
    }
    if (folder[0] != '\0' && characterLength(folder, lead) == 1 && folder[1] == ':') {
        char first[4] = {0, 0, 0, 0};
        strncpy(first, folder, 3);  // "C:\" or the shorter "C:"
        return copyText(root, size, first);
    }
    return formatText(root, size, "%c:/", (char)(currentDrive + 64));
}

int driveHasRoom(uint32_t requiredMegabytes, uint32_t sectorsPerCluster,
                 uint32_t bytesPerSector, uint32_t freeClusters)
{
    uint32_t bytesPerCluster = sectorsPerCluster * bytesPerSector;
    if (bytesPerCluster == 0)
        return 1;
    uint32_t neededClusters = requiredMegabytes * 1048576u / bytesPerCluster;
    return neededClusters <= freeClusters;
}

uint32_t freeMegabytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters)
{
    return freeClusters * (sectorsPerCluster * bytesPerSector) / 1048576u;
}

int buildFolderFilePath(char *path, size_t size, const char *folder, const char *fileName)
{
    return formatText(path, size, "%s\\%s", folder, fileName);
}

int buildQuotedPath(char *text, size_t size, const char *path)
{
    return formatText(text, size, "\"%s\"", path);
}

int buildStartupCommand(char *text, size_t size, const char *programPath, const char *arguments)
{
    return formatText(text, size, "\"%s\" %s\n", programPath, arguments);
}

int buildUninstallKeyPath(char *text, size_t size, const char *productName)
{
    return formatText(text, size, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s",
                      productName);
}

StartMethod startMethod(int nt, int elevated, int desktopUser)
{
    return !nt || (!elevated && desktopUser == DESKTOP_SAME) ? START_DIRECTLY
                                                             : START_THROUGH_DESKTOP;
}

int refusesUser(int nt, uint32_t majorVersion, int account)
{
    return nt && majorVersion < SEPARATE_ADMINISTRATOR_MAJOR_VERSION &&
           account != ACCOUNT_ADMINISTRATOR && !(account == ACCOUNT_POWER_USER && majorVersion == 5);
}
