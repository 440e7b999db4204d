#include "privateFolderAcl.h"

#include <string.h>

namespace {

const uint8_t aclRevision = 2;
const uint8_t accessAllowedType = 0;
const uint8_t inheritedByFilesAndFolders = 0x01 | 0x02;  // object and container inherit
const uint32_t fullControl = 0x001F01FF;                 // every right on a file or folder
// S-1-5-18, the system's own account.
const uint8_t systemSid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

// The length of the SID at sid, 0 when the bytes are not a whole SID of revision 1.
size_t sidLength(const uint8_t *sid, size_t available)
{
    if (available < 8 || sid[0] != 1 || sid[1] > 15)
        return 0;
    size_t length = 8 + 4 * (size_t)sid[1];
    return length <= available ? length : 0;
}

void put16(uint8_t *at, size_t value)
{
    at[0] = (uint8_t)(value & 0xFF);
    at[1] = (uint8_t)((value >> 8) & 0xFF);
}

void put32(uint8_t *at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = (uint8_t)((value >> (8 * i)) & 0xFF);
}

// One "allowed" entry at at; its length.
size_t putEntry(uint8_t *at, const uint8_t *sid, size_t length)
{
    at[0] = accessAllowedType;
    at[1] = inheritedByFilesAndFolders;
    put16(at + 2, 8 + length);
    put32(at + 4, fullControl);
    memcpy(at + 8, sid, length);
    return 8 + length;
}

}  // namespace

size_t buildPrivateFolderAcl(uint8_t *acl, size_t size, const uint8_t *userSid,
                             size_t userSidLength)
{
    size_t userLength = sidLength(userSid, userSidLength);
    if (userLength == 0)
        return 0;
    int userIsSystem =
        userLength == sizeof systemSid && memcmp(userSid, systemSid, userLength) == 0;
    size_t total = 8 + 8 + userLength + (userIsSystem ? 0 : 8 + sizeof systemSid);
    if (total > size)
        return 0;
    memset(acl, 0, total);
    acl[0] = aclRevision;
    put16(acl + 2, total);
    put16(acl + 4, userIsSystem ? 1 : 2);
    size_t used = 8 + putEntry(acl + 8, userSid, userLength);
    if (!userIsSystem)
        putEntry(acl + used, systemSid, sizeof systemSid);
    return total;
}
