#include "administratorCheck.h"

#include <windows.h>

#include <stdlib.h>

#include "accountIds.h"
#include "advapiCalls.h"

int tokenHoldsAdministrators(const AdvapiCalls &calls, HANDLE token)
{
    DWORD needed = 0;
    calls.getTokenInformation(token, TokenGroups, NULL, 0, &needed);
    if (needed == 0)
        return 1;
    TOKEN_GROUPS *groups = static_cast<TOKEN_GROUPS *>(malloc(needed));
    if (groups == NULL)
        return 1;
    int held = 1;
    if (calls.getTokenInformation(token, TokenGroups, groups, needed, &needed)) {
        SidBuffer administrators;
        PSID wanted = sidOfAccount(administratorsAccount, &administrators);
        held = 0;
        for (DWORD i = 0; i < groups->GroupCount && !held; ++i) {
            DWORD attributes = groups->Groups[i].Attributes;
            held = (attributes & SE_GROUP_ENABLED) && !(attributes & SE_GROUP_USE_FOR_DENY_ONLY) &&
                   calls.equalSid(groups->Groups[i].Sid, wanted);
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
        return 1;
    int held = tokenHoldsAdministrators(calls, token);
    CloseHandle(token);
    return held;
}
