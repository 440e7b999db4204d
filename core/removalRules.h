// What a removal in a folder that others may change is allowed to delete, judged from what the
// file system says of the entry. No platform header: built natively too.
#ifndef VELMORANT_REMOVAL_RULES_H
#define VELMORANT_REMOVAL_RULES_H

#include <stdint.h>

// The file system's attribute bits, as the platform reports them.
#define ENTRY_READ_ONLY 0x1u
#define ENTRY_FOLDER 0x10u
#define ENTRY_LINK 0x400u  // a junction, a symbolic link or a mount point: it leads elsewhere

// Outcomes of one removal, and the judgement before it.
enum RemovalResult {
    REMOVAL_GO,         // judged: may be deleted
    REMOVAL_DONE,       // deleted
    REMOVAL_ABSENT,     // was not there
    REMOVAL_FAILED,     // the platform refused; its error code says why
    REMOVAL_READ_ONLY,  // read-only is the owner's choice: reported, never overridden
    REMOVAL_LINK,       // it, or a folder on the way, leads elsewhere: left alone
    REMOVAL_LEFT        // not what was made there (a folder for a file, or the reverse; a folder
                        // that is not empty): left, and no failure
};

// The judgement for an entry with these attributes, where a folder (folderExpected) or a file
// was made. A link is never followed, whatever it points to; a folder's read-only bit only
// marks it for the shell.
int judgeRemoval(uint32_t attributes, int folderExpected);

#endif
