#include "privateFolder.h"

#include <windows.h>

#include "advapiCalls.h"
#include "core/privateFolderAcl.h"

namespace {

// The running user's SID: 1 with it in buffer at *sid, its bytes up to the buffer's end.
int readUserSid(const AdvapiCalls &calls, BYTE *buffer, DWORD size, const BYTE **sid,
                size_t *available)
{
    HANDLE token;
    if (calls.openProcessToken == NULL || calls.getTokenInformation == NULL ||
        !calls.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    DWORD length = 0;
    BOOL read = calls.getTokenInformation(token, TokenUser, buffer, size, &length);
    CloseHandle(token);
    if (!read || length > size)
        return 0;
    const TOKEN_USER *user = reinterpret_cast<const TOKEN_USER *>(buffer);
    *sid = static_cast<const BYTE *>(user->User.Sid);
    if (*sid < buffer || *sid >= buffer + length)
        return 0;
    *available = (size_t)(buffer + length - *sid);
    return 1;
}

}  // namespace

int createPrivateFolder(const char *path, int ntFamily, uint32_t *error)
{
    *error = 0;
    if (!ntFamily) {
        if (CreateDirectoryA(path, NULL))
            return 1;
        *error = GetLastError();
        return 0;
    }
    const AdvapiCalls &calls = advapiCalls();
    DWORD tokenUser[128];  // aligned for the TOKEN_USER at its start
    const BYTE *sid = NULL;
    size_t sidBytes = 0;
    DWORD aclWords[PRIVATE_FOLDER_ACL_SIZE / sizeof(DWORD)];
    SECURITY_DESCRIPTOR descriptor;
    *error = ERROR_INVALID_SECURITY_DESCR;  // unless the folder call itself says otherwise
    if (calls.initializeDescriptor == NULL || calls.setDescriptorDacl == NULL ||
        !readUserSid(calls, reinterpret_cast<BYTE *>(tokenUser), sizeof tokenUser, &sid,
                     &sidBytes) ||
        buildPrivateFolderAcl(reinterpret_cast<uint8_t *>(aclWords), sizeof aclWords, sid,
                              sidBytes) == 0 ||
        !calls.initializeDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !calls.setDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(aclWords), FALSE) ||
        // Before 2000 nothing is inherited after the fact: there is nothing to protect from.
        (calls.setDescriptorControl != NULL &&
         !calls.setDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)))
        return 0;
    SECURITY_ATTRIBUTES security;
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = &descriptor;
    security.bInheritHandle = FALSE;
    if (CreateDirectoryA(path, &security)) {
        *error = 0;
        return 1;
    }
    *error = GetLastError();
    return 0;
}
