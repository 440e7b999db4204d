#include "folderSecurity.h"

#include <direct.h>
#include <stdlib.h>
#include <string.h>

#include "advapiCalls.h"
#include "core/boundedText.h"
#include "core/folderPaths.h"
#include "core/installerSettings.h"
#include "core/setupDecisions.h"
#include "platformInfo.h"

namespace {

// A held data folder: others may read and write in it, but not delete or rename it.
const DWORD heldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

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

// An entry of a list as a record. Allowing and denying entries (with a condition or without)
// share one layout; any other kind is not understood here: its mask is kept, its account not.
int readEntry(const AdvapiCalls &calls, PACL list, DWORD index, FolderEntry *entry, char *account,
              size_t size)
{
    void *found = NULL;
    if (!calls.getAce(list, index, &found) || found == NULL)
        return 0;
    const ACCESS_ALLOWED_ACE *ace = static_cast<const ACCESS_ALLOWED_ACE *>(found);
    BYTE type = ace->Header.AceType;
    entry->flags = ace->Header.AceFlags;
    entry->rights = ace->Mask;
    entry->account = account;
    account[0] = '\0';
    const uint32_t allowing = 1u << ACCESS_ALLOWED_ACE_TYPE | 1u << ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
    const uint32_t denying = 1u << ACCESS_DENIED_ACE_TYPE | 1u << ACCESS_DENIED_CALLBACK_ACE_TYPE |
                             1u << ACCESS_DENIED_OBJECT_ACE_TYPE |
                             1u << ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
    uint32_t bit = type < 32 ? 1u << type : 0;
    entry->kind = (bit & allowing) ? ENTRY_ALLOWS : (bit & denying) ? ENTRY_DENIES : ENTRY_OTHER;
    if (entry->kind == ENTRY_ALLOWS)
        accountTextOfSid((PSID)&ace->SidStart, account, size);
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

// One folder as read: its record and what the record points into.
struct ReadFolder {
    FolderRecord record;
    PSECURITY_DESCRIPTOR descriptor;  // the system's, for LocalFree
    PSID ownerSid;
    PACL list;
    char *texts;  // the entries, then the owner's and their accounts' texts
};

// Reads an open folder's owner and list into read; FOLDER_UNREADABLE when either is missing.
void readSecurity(const AdvapiCalls &calls, HANDLE folder, ReadFolder *read)
{
    read->record.reading = FOLDER_UNREADABLE;
    if (calls.getSecurityInfo == NULL || calls.getAce == NULL ||
        calls.getSecurityInfo(folder, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &read->ownerSid, NULL, &read->list, NULL,
                              &read->descriptor) != ERROR_SUCCESS)
        return;
    DWORD count = read->list != NULL ? read->list->AceCount : 0;
    read->texts = static_cast<char *>(
        malloc(count * (sizeof(FolderEntry) + ACCOUNT_TEXT_SIZE) + ACCOUNT_TEXT_SIZE));
    if (read->texts == NULL)
        return;
    FolderEntry *entries = reinterpret_cast<FolderEntry *>(read->texts);
    char *owner = read->texts + count * sizeof(FolderEntry);
    accountTextOfSid(read->ownerSid, owner, ACCOUNT_TEXT_SIZE);
    for (DWORD i = 0; i < count; ++i)
        if (!readEntry(calls, read->list, i, &entries[i], owner + (i + 1) * ACCOUNT_TEXT_SIZE,
                       ACCOUNT_TEXT_SIZE))
            return;
    FolderRecord &record = read->record;
    record.listPresent = read->list != NULL;
    record.owner = owner;
    record.entries = entries;
    record.count = (int32_t)count;
    record.reading = FOLDER_READ;
}

HANDLE openFolderItself(const char *path, DWORD share)
{
    HANDLE folder = CreateFileA(path, READ_CONTROL | FILE_READ_ATTRIBUTES, share, NULL,
                                OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    return folder != INVALID_HANDLE_VALUE ? folder : NULL;
}

// Opens the folder at path as itself and reads it; the handle, or NULL.
HANDLE readFolder(const AdvapiCalls &calls, const char *path, DWORD share, ReadFolder *read)
{
    memset(read, 0, sizeof *read);
    read->record.reading = FOLDER_UNREADABLE;
    HANDLE folder = openFolderItself(path, share);
    if (folder == NULL) {
        DWORD error = GetLastError();
        // Nothing there, or a name that nothing can have: a folder there cannot be made
        // either.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE)
            read->record.reading = FOLDER_MISSING;
        return NULL;
    }
    // The link is also looked for by name: Wine reports a Unix link only there.
    BY_HANDLE_FILE_INFORMATION information;
    DWORD named = GetFileAttributesA(path);
    if (GetFileInformationByHandle(folder, &information)) {
        read->record.link = ((information.dwFileAttributes |
                              (named != INVALID_FILE_ATTRIBUTES ? named : 0)) &
                             FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        readSecurity(calls, folder, read);
    }
    return folder;
}

void releaseRead(ReadFolder *read)
{
    if (read->descriptor != NULL)
        LocalFree(read->descriptor);
    free(read->texts);
}

size_t sidSize(PSID sid)
{
    return sid != NULL ? 8 + 4 * (size_t) static_cast<const BYTE *>(sid)[1] : 0;
}

// The same owner and list, byte for byte, in two reads.
int sameSecurity(const ReadFolder &a, const ReadFolder &b)
{
    size_t ownerSize = sidSize(a.ownerSid);
    size_t listSize = a.list != NULL ? a.list->AclSize : 0;
    return ownerSize == sidSize(b.ownerSid) && listSize == (b.list != NULL ? b.list->AclSize : 0) &&
           (ownerSize == 0 || memcmp(a.ownerSid, b.ownerSid, ownerSize) == 0) &&
           (listSize == 0 || memcmp(a.list, b.list, listSize) == 0);
}

// The length of the folder above the one path[0, length) names, its separator left off
// except at the drive's root ("C:\").
size_t aboveLength(const char *path, size_t length, const LeadBytes &lead)
{
    size_t cut = 0;
    for (size_t i = 0; i < length; i += characterLength(path + i, lead))
        if (isPathSeparator(path[i]))
            cut = i;
    return cut < 3 ? 3 : cut;
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

int makeDataFolder(const char *path, int nt, MakeFolderCall make)
{
    static ProtectedFolderSecurity security;  // kept off the stack
    if (!nt || !volumeKeepsAccessLists(path))
        return _mkdir(path);
    // Never a plain folder where a protected one belongs.
    if (!buildFolderSecurity(&security, createdFolderAccess))
        return FOLDER_NOT_PROTECTED;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &security.descriptor, FALSE};
    return make(path, &attributes) ? 0 : FOLDER_NOT_MADE;
}

HANDLE holdFolder(const char *path)
{
    return openFolderItself(path, heldSharing);
}

int judgeDataFolder(const char *path, uint32_t majorVersion, HANDLE *held)
{
    *held = NULL;
    const AdvapiCalls &calls = advapiCalls();
    const LeadBytes &lead = ansiLeadBytes();
    char folder[TEXT_BUFFER_SIZE];
    char root[MAX_PATH];
    char running[ACCOUNT_TEXT_SIZE];
    // A path these calls cannot reach holds no folder they could open or make: making it
    // fails, and says so.
    char *namePart;
    DWORD full = strlen(path) < MAX_PATH ? GetFullPathNameA(path, sizeof folder, folder, &namePart)
                                         : MAX_PATH;
    if (full >= MAX_PATH && full < sizeof folder)
        return FOLDER_TRUSTED;
    if (full == 0 || full >= sizeof folder)
        return FOLDER_UNJUDGED;
    dropTrailingSeparators(folder, lead);
    size_t length = strlen(folder);
    // Only a full path on a drive is walked: a share's accounts are the server's.
    int drivePath = length >= 3 && folder[1] == ':' && isPathSeparator(folder[2]);
    FolderPath judged = {NULL, 0, volumeKeepsAccessLists(folder),
                         !drivePath || !volumeRoot(folder, root, sizeof root) ||
                             GetDriveTypeA(root) == DRIVE_REMOTE,
                         running, majorVersion};
    if (!judged.keepsLists || judged.network)
        return FOLDER_UNJUDGED;
    readRunningAccount(calls, running, sizeof running);
    // One record for each separator, and one for the data folder.
    int32_t most = 1;
    for (size_t i = 0; i < length; i += characterLength(folder + i, lead))
        most += isPathSeparator(folder[i]);
    ReadFolder *reads = static_cast<ReadFolder *>(calloc((size_t)most, sizeof(ReadFolder)));
    FolderRecord *records = static_cast<FolderRecord *>(calloc((size_t)most, sizeof(FolderRecord)));
    int verdict = FOLDER_UNJUDGED;
    if (reads != NULL && records != NULL) {
        // The data folder is held without delete sharing; the folders above are only read.
        *held = readFolder(calls, folder, heldSharing, &reads[0]);
        int32_t count = 1;
        for (size_t at = length; at > 3 && count < most; ++count) {
            at = aboveLength(folder, at, lead);
            char saved = folder[at];
            folder[at] = '\0';
            HANDLE above = readFolder(calls, folder,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      &reads[count]);
            if (above != NULL)
                CloseHandle(above);
            folder[at] = saved;
        }
        // The data folder read again once the path is read: what changed meanwhile cannot
        // be judged.
        if (*held != NULL) {
            ReadFolder again;
            memset(&again, 0, sizeof again);
            readSecurity(calls, *held, &again);
            if (again.record.reading != FOLDER_READ || !sameSecurity(reads[0], again))
                reads[0].record.reading = FOLDER_CHANGED;
            releaseRead(&again);
        }
        for (int32_t i = 0; i < count; ++i)
            records[i] = reads[i].record;
        judged.folders = records;
        judged.count = count;
        verdict = judgeFolderPath(judged);
        for (int32_t i = 0; i < count; ++i)
            releaseRead(&reads[i]);
    }
    free(reads);
    free(records);
    return verdict;
}
