#include "privateFolder.h"

#include <windows.h>

#include <string.h>

#include "core/privateFolderAcl.h"

namespace {

// The security calls are looked up: the 9x family's advapi32 need not have them, and only
// 2000 and later know a protected list.
typedef BOOL(WINAPI *OpenTokenCall)(HANDLE process, DWORD access, PHANDLE token);
typedef BOOL(WINAPI *TokenInformationCall)(HANDLE token, TOKEN_INFORMATION_CLASS kind,
                                           LPVOID information, DWORD size, PDWORD length);
typedef BOOL(WINAPI *InitializeDescriptorCall)(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
typedef BOOL(WINAPI *SetDaclCall)(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL acl,
                                  BOOL defaulted);
typedef BOOL(WINAPI *SetControlCall)(PSECURITY_DESCRIPTOR descriptor,
                                     SECURITY_DESCRIPTOR_CONTROL mask,
                                     SECURITY_DESCRIPTOR_CONTROL bits);
typedef BOOL(WINAPI *ValidAclCall)(PACL acl);

template <typename Call>
int lookUp(HMODULE module, const char *name, Call *call)
{
    FARPROC found = module != NULL ? GetProcAddress(module, name) : NULL;
    if (found != NULL)
        memcpy(call, &found, sizeof found);
    return found != NULL;
}

// The running user's SID: 1 with it in buffer at *sid, its bytes up to the buffer's end.
int readUserSid(HMODULE advapi, BYTE *buffer, DWORD size, const BYTE **sid, size_t *available)
{
    OpenTokenCall openToken;
    TokenInformationCall tokenInformation;
    if (!lookUp(advapi, "OpenProcessToken", &openToken) ||
        !lookUp(advapi, "GetTokenInformation", &tokenInformation))
        return 0;
    HANDLE token;
    if (!openToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    DWORD length = 0;
    BOOL read = tokenInformation(token, TokenUser, buffer, size, &length);
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
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    InitializeDescriptorCall initializeDescriptor;
    SetDaclCall setDacl;
    SetControlCall setControl;
    ValidAclCall validAcl;
    DWORD tokenUser[128];  // aligned for the TOKEN_USER at its start
    const BYTE *sid = NULL;
    size_t sidBytes = 0;
    DWORD aclWords[PRIVATE_FOLDER_ACL_SIZE / sizeof(DWORD)];
    SECURITY_DESCRIPTOR descriptor;
    int made = 0;
    *error = ERROR_INVALID_SECURITY_DESCR;  // unless the folder call itself says otherwise
    if (lookUp(advapi, "InitializeSecurityDescriptor", &initializeDescriptor) &&
        lookUp(advapi, "SetSecurityDescriptorDacl", &setDacl) &&
        readUserSid(advapi, reinterpret_cast<BYTE *>(tokenUser), sizeof tokenUser, &sid,
                    &sidBytes) &&
        buildPrivateFolderAcl(reinterpret_cast<uint8_t *>(aclWords), sizeof aclWords, sid,
                              sidBytes) > 0 &&
        (!lookUp(advapi, "IsValidAcl", &validAcl) || validAcl(reinterpret_cast<PACL>(aclWords))) &&
        initializeDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        setDacl(&descriptor, TRUE, reinterpret_cast<PACL>(aclWords), FALSE) &&
        // Before 2000 nothing is inherited after the fact: there is nothing to protect from.
        (!lookUp(advapi, "SetSecurityDescriptorControl", &setControl) ||
         setControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))) {
        SECURITY_ATTRIBUTES security;
        security.nLength = sizeof security;
        security.lpSecurityDescriptor = &descriptor;
        security.bInheritHandle = FALSE;
        made = CreateDirectoryA(path, &security) ? 1 : 0;
        *error = made ? 0 : GetLastError();
    }
    if (advapi != NULL)
        FreeLibrary(advapi);
    return made;
}
