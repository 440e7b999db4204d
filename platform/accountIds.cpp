#include "accountIds.h"

#include <string.h>

PSID sidOfAccount(const AccountId &account, SidBuffer *buffer)
{
    memset(buffer, 0, sizeof *buffer);
    int32_t count = account.count < 0 ? 0 : account.count > ACCOUNT_MAX_PARTS ? ACCOUNT_MAX_PARTS
                                                                             : account.count;
    buffer->bytes[0] = SID_REVISION;
    buffer->bytes[1] = (BYTE)count;
    memcpy(buffer->bytes + 2, account.authority, 6);
    for (int32_t i = 0; i < count; ++i) {
        DWORD part = account.parts[i];
        memcpy(buffer->bytes + 8 + 4 * i, &part, 4);
    }
    return buffer->bytes;
}

int accountTextOfSid(PSID sid, char *text, size_t size)
{
    AccountId account;
    memset(&account, 0, sizeof account);
    const BYTE *bytes = static_cast<const BYTE *>(sid);
    if (bytes == NULL || bytes[0] != SID_REVISION || bytes[1] > ACCOUNT_MAX_PARTS) {
        if (size > 0)
            text[0] = '\0';
        return 0;
    }
    account.count = bytes[1];
    memcpy(account.authority, bytes + 2, 6);
    for (int32_t i = 0; i < account.count; ++i) {
        DWORD part;
        memcpy(&part, bytes + 8 + 4 * i, 4);
        account.parts[i] = part;
    }
    return formatAccountText(text, size, account);
}
