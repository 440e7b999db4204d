#include "setupDecisions.h"

#include "boundedText.h"

#include <string.h>

int buildDriveRoot(char *root, size_t size, const char *folder, int currentDrive)
{
    if (folder[0] != '\0' && folder[1] == ':') {
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
