#include "shortcutPaths.h"

#include "boundedText.h"

int buildGroupFolderPath(char *buffer, size_t size, const char *specialFolder, const char *group)
{
    return formatText(buffer, size, "%s\\%s", specialFolder, group);
}

int buildLinkPath(char *buffer, size_t size, const char *specialFolder, const char *group,
                  const char *name)
{
    if (group != NULL)
        return formatText(buffer, size, "%s\\%s\\%s.lnk", specialFolder, group, name);
    return formatText(buffer, size, "%s\\%s.lnk", specialFolder, name);
}

int buildStaleLinkPath(char *buffer, size_t size, const char *linkPath)
{
    return formatText(buffer, size, "%s.lnk", linkPath);
}
