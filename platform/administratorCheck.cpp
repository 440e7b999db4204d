#include "administratorCheck.h"

#include <windows.h>

#include <stdlib.h>

#include "accountIds.h"
#include "advapiCalls.h"
#include "core/setupDecisions.h"

namespace {

const AccountId powerUsersAccount = {{0, 0, 0, 0, 0, 5}, 2, {32, 547}};

}  // namespace

int tokenHoldsAdministrators(const AdvapiCalls &calls, HANDLE token)
{
    DWORD needed = 0;
    calls.getTokenInformation(token, TokenGroups, NULL, 0, &needed);
    if (needed == 0)
        return ACCOUNT_ADMINISTRATOR;
    TOKEN_GROUPS *groups = static_cast<TOKEN_GROUPS *>(malloc(needed));
    if (groups == NULL)
        return ACCOUNT_ADMINISTRATOR;
    int held = ACCOUNT_ADMINISTRATOR;
    if (calls.getTokenInformation(token, TokenGroups, groups, needed, &needed)) {
        SidBuffer administrators, powerUsers;
        PSID wanted[2] = {sidOfAccount(administratorsAccount, &administrators),
                          sidOfAccount(powerUsersAccount, &powerUsers)};
        held = ACCOUNT_OTHER;
        for (DWORD i = 0; i < groups->GroupCount && held != ACCOUNT_ADMINISTRATOR; ++i) {
            DWORD attributes = groups->Groups[i].Attributes;
            if (!(attributes & SE_GROUP_ENABLED) || (attributes & SE_GROUP_USE_FOR_DENY_ONLY))
                continue;
            if (calls.equalSid(groups->Groups[i].Sid, wanted[0]))
                held = ACCOUNT_ADMINISTRATOR;
            else if (calls.equalSid(groups->Groups[i].Sid, wanted[1]))
                held = ACCOUNT_POWER_USER;
        }
    }
    free(groups);
    return held;
}

int runByAdministrator(void)
{
    const AdvapiCalls &calls = advapiCalls();
    HANDLE token;
    if (calls.openProcessToken == NULL || calls.getTokenInformation == NULL ||
        calls.equalSid == NULL || !calls.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return ACCOUNT_ADMINISTRATOR;
    int held = tokenHoldsAdministrators(calls, token);
    CloseHandle(token);
    return held;
}
