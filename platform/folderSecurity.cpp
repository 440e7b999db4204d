#include "folderSecurity.h"

#include <direct.h>
#include <stdlib.h>
#include <string.h>

#include "advapiCalls.h"
#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "core/setupDecisions.h"
#include "platformInfo.h"

namespace {

typedef BOOL(WINAPI *VolumePathNameCall)(LPCSTR path, LPSTR volume, DWORD size);

// The root of the volume that holds path: the system's answer where it has the call (Windows
// 2000 and later know mounted folders), else the drive or share of the full path.
int volumeRoot(const char *path, char *root, DWORD size)
{
    char full[TEXT_BUFFER_SIZE];
    char *namePart;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &namePart);
    if (length == 0 || length >= sizeof full)
        return 0;
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetVolumePathNameA");
    if (found != NULL) {
        VolumePathNameCall volumePathName;
        memcpy(&volumePathName, &found, sizeof volumePathName);
        if (volumePathName(full, root, size))
            return 1;
    }
    return buildDriveRoot(root, size, full, _getdrive(), ansiLeadBytes());
}

// The account an entry of a list is for, and the kind of entry. Allowing entries with a
// condition share the plain entry's layout and count as allowing.
int readEntry(const AdvapiCalls &calls, PACL list, DWORD index, FolderEntry *entry, char *account,
              size_t size)
{
    void *found = NULL;
    if (!calls.getAce(list, index, &found) || found == NULL)
        return 0;
    const ACE_HEADER *header = static_cast<const ACE_HEADER *>(found);
    entry->flags = header->AceFlags;
    entry->kind = ENTRY_OTHER;
    entry->rights = 0;
    entry->account = account;
    account[0] = '\0';
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE ||
        header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE) {
        const ACCESS_ALLOWED_ACE *ace = static_cast<const ACCESS_ALLOWED_ACE *>(found);
        entry->kind = header->AceType == ACCESS_DENIED_ACE_TYPE ? ENTRY_DENIES : ENTRY_ALLOWS;
        entry->rights = ace->Mask;
        accountTextOfSid((PSID)&ace->SidStart, account, size);
    }
    return 1;
}

// The account this program runs as; empty when it cannot be read.
void readRunningAccount(const AdvapiCalls &calls, char *text, size_t size)
{
    text[0] = '\0';
    HANDLE token;
    if (calls.openProcessToken == NULL || calls.getTokenInformation == NULL ||
        !calls.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + sizeof(SidBuffer)];
    } buffer;
    DWORD used;
    if (calls.getTokenInformation(token, TokenUser, &buffer, sizeof buffer, &used))
        accountTextOfSid(buffer.user.User.Sid, text, size);
    CloseHandle(token);
}

int judgeFolder(const AdvapiCalls &calls, PSECURITY_DESCRIPTOR descriptor)
{
    PSID ownerSid = NULL;
    PACL list = NULL;
    BOOL present = FALSE, defaulted = FALSE;
    if (!calls.getDescriptorOwner(descriptor, &ownerSid, &defaulted) ||
        !calls.getDescriptorDacl(descriptor, &present, &list, &defaulted))
        return 0;
    char owner[ACCOUNT_TEXT_SIZE];
    char running[ACCOUNT_TEXT_SIZE];
    char account[ACCOUNT_TEXT_SIZE];
    accountTextOfSid(ownerSid, owner, sizeof owner);
    readRunningAccount(calls, running, sizeof running);
    FolderAccessList access = {present && list != NULL, NULL, 0, owner, running};
    if (!access.present)
        return othersCanChangeFolder(access);
    // Entry by entry: any one that lets others change the folder is enough.
    for (DWORD i = 0; i < list->AceCount; ++i) {
        FolderEntry entry;
        if (!readEntry(calls, list, i, &entry, account, sizeof account))
            return 0;
        access.entries = &entry;
        access.count = 1;
        if (othersCanChangeFolder(access))
            return 1;
    }
    return 0;
}

}  // namespace

int volumeKeepsAccessLists(const char *path)
{
    char root[MAX_PATH];
    DWORD serial, longestName, flags = 0;
    return volumeRoot(path, root, sizeof root) &&
           GetVolumeInformationA(root, NULL, 0, &serial, &longestName, &flags, NULL, 0) &&
           (flags & FILE_PERSISTENT_ACLS) != 0;
}

int buildFolderSecurity(ProtectedFolderSecurity *security, const CreatedFolderAccess &access)
{
    const AdvapiCalls &calls = advapiCalls();
    if (calls.initializeDescriptor == NULL || calls.setDescriptorDacl == NULL ||
        calls.initializeAcl == NULL || calls.addAccessAllowedAce == NULL || calls.getAce == NULL ||
        access.count > (int32_t)(sizeof security->accounts / sizeof security->accounts[0]))
        return 0;
    PACL list = &security->list.header;
    if (!calls.initializeAcl(list, sizeof security->list, ACL_REVISION))
        return 0;
    for (int32_t i = 0; i < access.count; ++i) {
        const FolderGrant &grant = access.grants[i];
        void *entry = NULL;
        // NT 4.0 has no call that adds an entry with its flags: they are set on the entry.
        if (!calls.addAccessAllowedAce(list, ACL_REVISION, grant.rights,
                                       sidOfAccount(*grant.account, &security->accounts[i])) ||
            !calls.getAce(list, (DWORD)i, &entry) || entry == NULL)
            return 0;
        static_cast<ACE_HEADER *>(entry)->AceFlags = (BYTE)grant.flags;
    }
    if (!calls.initializeDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !calls.setDescriptorDacl(&security->descriptor, TRUE, list, FALSE))
        return 0;
    // Before Windows 2000 a folder takes nothing from its parent once it has a list of its
    // own; from 2000 on the list is marked so.
    if (access.protectedFromParent && calls.setDescriptorControl != NULL &&
        !calls.setDescriptorControl(&security->descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return 0;
    return 1;
}

int makeDataFolder(const char *path, int nt)
{
    static ProtectedFolderSecurity security;  // kept off the stack
    if (!nt || !volumeKeepsAccessLists(path) || !buildFolderSecurity(&security, createdFolderAccess))
        return _mkdir(path);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &security.descriptor, FALSE};
    return CreateDirectoryA(path, &attributes) ? 0 : -1;
}

int folderOpenToOthers(const char *path)
{
    const AdvapiCalls &calls = advapiCalls();
    if (calls.getFileSecurity == NULL || calls.getDescriptorOwner == NULL ||
        calls.getDescriptorDacl == NULL || calls.getAce == NULL || !volumeKeepsAccessLists(path))
        return 0;
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    union {
        SECURITY_DESCRIPTOR_RELATIVE header;
        BYTE bytes[4096];
    } local;
    DWORD needed = 0;
    if (calls.getFileSecurity(path, what, &local, sizeof local, &needed))
        return judgeFolder(calls, &local);
    // A list longer than the local buffer, read again into one of its size.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return 0;
    void *large = malloc(needed);
    if (large == NULL)
        return 0;
    int open = calls.getFileSecurity(path, what, large, needed, &needed) ? judgeFolder(calls, large)
                                                                          : 0;
    free(large);
    return open;
}
