// Who may use the folder that the uninstaller's temporary copy runs from: the user it runs as
// and the system, each with full control of the folder and of what is made in it. The
// temporary folder it is made in may be one where every user can create files (the system's
// own, for a deployment tool): nothing is inherited from there. No platform header.
#ifndef VELMORANT_PRIVATE_FOLDER_ACL_H
#define VELMORANT_PRIVATE_FOLDER_ACL_H

#include <stddef.h>
#include <stdint.h>

// Room for the largest list: a header and two entries for SIDs of 15 sub-authorities.
#define PRIVATE_FOLDER_ACL_SIZE 160

// Writes the access list in the platform's binary form (revision 2, little-endian) into acl,
// which should be aligned for 32-bit values. userSid: the user's SID as the platform gives it,
// in a buffer of userSidLength bytes. Returns the list's length; 0 when userSid is not a whole
// SID or the list would not fit. A user who is the system itself gets one entry.
size_t buildPrivateFolderAcl(uint8_t *acl, size_t size, const uint8_t *userSid,
                             size_t userSidLength);

#endif
