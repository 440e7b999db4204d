#include "removalRules.h"

int judgeRemoval(uint32_t attributes, int folderExpected)
{
    if (attributes & ENTRY_LINK)
        return REMOVAL_LINK;
    int isFolder = (attributes & ENTRY_FOLDER) != 0;
    if (isFolder != (folderExpected != 0))
        return REMOVAL_LEFT;
    if (!isFolder && (attributes & ENTRY_READ_ONLY))
        return REMOVAL_READ_ONLY;
    return REMOVAL_GO;
}
