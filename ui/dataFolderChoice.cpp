// The data folder: a default proposed from the Program Files folder (or the home folder),
// replaced by the folder stored at an earlier installation, confirmed or changed by the user in
// the "Choose a Folder" dialog, then entered.
#include "dataFolderChoice.h"

#include <direct.h>
#include <shlobj.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "core/resourceIds.h"
#include "core/boundedText.h"
#include "core/folderPaths.h"
#include "platform/folderSecurity.h"
#include "platform/platformInfo.h"
#include "platform/pointerParam.h"

namespace {

enum FolderMessage {
    FOLDER_MESSAGE_WINDOWS_DIRECTORY,
    FOLDER_MESSAGE_NO_ACCESS,
    FOLDER_MESSAGE_SHUTTING_DOWN,
    FOLDER_MESSAGE_CANNOT_CREATE,
    FOLDER_MESSAGE_EXISTING_FOLDER,
    FOLDER_MESSAGE_FILE,
    FOLDER_MESSAGE_OPEN_TO_OTHERS,
    FOLDER_MESSAGE_EXISTING_AND_OPEN,
    FOLDER_MESSAGE_NOT_PROTECTED,
    FOLDER_MESSAGE_COUNT
};

struct FolderMessageText {
    const char *title;
    const char *text;  // FOLDER_MESSAGE_FILE holds one %s: the folder name
    UINT style;
};

const FolderMessageText folderMessages[FOLDER_MESSAGE_COUNT] = {
    {"Can't Install to Windows Directory",
     "That directory is the Windows directory. It is not safe to install applications in the "
     "Windows directory because it contains other important system files. Please choose "
     "another location.",
     MB_OK | MB_ICONWARNING},
    {"Couldn't Access Directory",
     "That directory does not exist and could not be created. Please enter a valid location "
     "for a directory on your system.",
     MB_OK | MB_ICONWARNING},
    {"Shutting Down",
     "This program cannot operate without a data folder to store its files in. The program "
     "will exit now. Please determine an appropriate folder name and start the program again "
     "later.",
     MB_OK | MB_ICONWARNING},
    {"Can't Create Directory",
     "That folder does not exist, and the application was not able to create it. Most likely "
     "the parent folder does not exist or you have entered a path the program does not have "
     "write access to.",
     MB_OK | MB_ICONWARNING},
    {"Write Data to Existing Folder?",
     "That folder already exists. The application can use it, but we do not recommend using a "
     "folder that is already being used for other purposes. Are you sure you want to use this "
     "directory?",
     MB_YESNO},
    {"Please Enter a Folder Name",
     "That path specifies a file, and not a new or existing folder name. Please enter a folder "
     "name, such as %s for example.",
     MB_OK | MB_ICONWARNING},
    {"Folder Open to Other Users",
     "Other users of this computer can change the files in that folder. A program installed "
     "there could be replaced by one of theirs, which would then run with administrator "
     "rights when an administrator starts it.\r\n\r\nDo you want to install there anyway?",
     MB_YESNO},
    {"Folder Open to Other Users",
     "That folder already exists, and other users of this computer can change the files in it. "
     "We do not recommend using a folder that is already being used for other purposes, and a "
     "program installed there could be replaced by one of theirs, which would then run with "
     "administrator rights when an administrator starts it.\r\n\r\nDo you want to install "
     "there anyway?",
     MB_YESNO},
    {"Can't Protect Directory",
     "That folder does not exist, and the application could not make it so that only "
     "administrators may change the files in it. Please choose another location, such as a "
     "folder under Program Files.",
     MB_OK | MB_ICONWARNING},
};

// The dialog's fields hold at most this much; one byte more for the terminating NUL.
const int FIELD_BUFFER_SIZE = FOLDER_FIELD_LIMIT + 1;

int showFolderMessage(HWND owner, FolderMessage which)
{
    const FolderMessageText &message = folderMessages[which];
    return MessageBoxA(owner, message.text, message.title, message.style);
}

// The file message names the folder as an example. Should the name not fit the message
// buffer, the unfilled wording is shown rather than a cut one.
void showFileMessage(HWND owner, const char *folderName)
{
    const FolderMessageText &message = folderMessages[FOLDER_MESSAGE_FILE];
    char text[256];
    if (!formatText(text, sizeof text, message.text, folderName))
        copyText(text, sizeof text, message.text);
    MessageBoxA(owner, text, message.title, message.style);
}

typedef HRESULT(WINAPI *GetFolderPathCall)(HWND, int, HANDLE, DWORD, LPSTR);

// The special-folder library is taken from the system directory by its full path: a DLL of
// the same name beside the setup program (say, in a downloads folder) must never be loaded.
HMODULE loadShellFolderLibrary(void)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !appendText(path, sizeof path, "\\shfolder.dll"))
        return NULL;
    return LoadLibraryA(path);
}

// Makes a relative or root-relative folder absolute from the current directory, in place.
// 0, with the folder unchanged, when that cannot be done or would not fit.
int makeAbsolute(char *folder, size_t size)
{
    char full[TEXT_BUFFER_SIZE];
    char *namePart;
    DWORD length = GetFullPathNameA(folder, sizeof full, full, &namePart);
    return length > 0 && length < sizeof full && copyText(folder, size, full);
}

// Reads the Windows directory; 0 when it cannot be read whole.
int readWindowsDirectory(char *path, UINT size)
{
    UINT length = GetWindowsDirectoryA(path, size);
    return length > 0 && length < size;
}

// The one question a folder may need, asked before anything is written there or about it:
// that it already exists (unnamed: not named for the product), that others can change it,
// or both at once. The folder judged stays held in the choice when it is taken (1).
int confirmFolder(HWND owner, FolderChoice *choice, const char *path, int unnamed)
{
    releaseChosenFolder(choice);
    int open = choice->nt &&
               judgeDataFolder(path, choice->majorVersion, &choice->heldFolder) != FOLDER_TRUSTED;
    if (!open && !unnamed)
        return 1;
    FolderMessage question = !open    ? FOLDER_MESSAGE_EXISTING_FOLDER
                             : unnamed ? FOLDER_MESSAGE_EXISTING_AND_OPEN
                                       : FOLDER_MESSAGE_OPEN_TO_OTHERS;
    if (showFolderMessage(owner, question) == IDYES)
        return 1;
    releaseChosenFolder(choice);
    return 0;
}

// The dialog's OK: the path named by the two fields is looked up and judged, questioned when
// others can change it or it is an existing folder not named for the product, and made when
// nothing is there. 1 ends the dialog with the folder in the choice; 0 keeps it open.
int acceptFolder(HWND dialog, FolderChoice *choice)
{
    char *dataFolder = choice->folder;
    // A field that holds more than its buffer (text set before its limit applied) would be
    // read cut short; the user is sent back to it instead.
    static const int fieldIds[2] = {IDC_PARENT_FOLDER, IDC_APPLICATION_FOLDER};
    for (int i = 0; i < 2; ++i) {
        HWND field = GetDlgItem(dialog, fieldIds[i]);
        if (GetWindowTextLengthA(field) > FOLDER_FIELD_LIMIT) {
            MessageBeep(MB_ICONWARNING);
            SetFocus(field);
            SendMessageA(field, EM_SETSEL, 0, -1);
            return 0;
        }
    }
    char parent[FIELD_BUFFER_SIZE];
    char application[FIELD_BUFFER_SIZE];
    GetDlgItemTextA(dialog, IDC_PARENT_FOLDER, parent, sizeof parent);
    GetDlgItemTextA(dialog, IDC_APPLICATION_FOLDER, application, sizeof application);
    // Two fields of 259 characters and a separator always fit.
    const LeadBytes &lead = ansiLeadBytes();
    if (!composeChosenFolder(dataFolder, sizeof choice->folder, parent, application, lead))
        return 0;

    // A device name opens the device wherever the path points: never a folder to install to.
    if (namesDevice(dataFolder, lead)) {
        showFileMessage(dialog, choice->folderName);
        return 0;
    }

    char lookup[TEXT_BUFFER_SIZE];
    copyText(lookup, sizeof lookup, dataFolder);
    dropTrailingSeparators(lookup, lead);
    struct _stat found;
    int exists = _stat(lookup, &found) == 0;
    if (exists && !(found.st_mode & _S_IFDIR)) {
        showFileMessage(dialog, choice->folderName);
        return 0;
    }
    // A folder to be made is judged by the folders above it, before it is made.
    if (!confirmFolder(dialog, choice, lookup,
                       exists && !endsWithFolderName(dataFolder, choice->folderName, lead)))
        return 0;
    if (exists)
        return 1;
    int made = makeDataFolder(lookup, choice->nt, choice->makeFolder);
    if (made != 0) {
        showFolderMessage(dialog, made == FOLDER_NOT_PROTECTED ? FOLDER_MESSAGE_NOT_PROTECTED
                                                               : FOLDER_MESSAGE_CANNOT_CREATE);
        return 0;
    }
    if (choice->nt)
        choice->heldFolder = holdFolder(lookup);
    return 1;
}

// Browse...: the picked folder becomes the parent; the application folder stays as typed.
void browseForParent(HWND dialog)
{
    BROWSEINFOA browse;
    memset(&browse, 0, sizeof browse);
    browse.hwndOwner = dialog;
    browse.lpszTitle = "Select a Folder";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST picked = SHBrowseForFolderA(&browse);
    if (picked == NULL)
        return;
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(picked, path))
        SetDlgItemTextA(dialog, IDC_PARENT_FOLDER, path);
    CoTaskMemFree(picked);
}

void showFolderInFields(HWND dialog, const char *dataFolder)
{
    char parent[TEXT_BUFFER_SIZE];
    char application[TEXT_BUFFER_SIZE];
    // Both parts of a 1023-character folder fit 1024 bytes.
    splitFolder(dataFolder, parent, sizeof parent, application, sizeof application,
                ansiLeadBytes());
    // The user cannot type past what OK reads back.
    SendDlgItemMessageA(dialog, IDC_PARENT_FOLDER, EM_LIMITTEXT, FOLDER_FIELD_LIMIT, 0);
    SendDlgItemMessageA(dialog, IDC_APPLICATION_FOLDER, EM_LIMITTEXT, FOLDER_FIELD_LIMIT, 0);
    SetDlgItemTextA(dialog, IDC_PARENT_FOLDER, parent);
    SetDlgItemTextA(dialog, IDC_APPLICATION_FOLDER, application);
}

}  // namespace

// "C:\Program Files\<folder>" when it exists; else the folder below the home folder. A home
// folder so long that the dialog could not show the result gives "C:\<folder>" instead,
// never a cut path.
void defaultFromEnvironment(FolderChoice *choice)
{
    char *dataFolder = choice->folder;
    const size_t size = sizeof choice->folder;
    const char *homePath = getenv("HOMEPATH");
    const char *homeDrive = getenv("HOMEDRIVE");
    if (formatText(dataFolder, size, "C:\\Program Files\\%s", choice->folderName) &&
        fitsFolderFields(dataFolder) && enterFolder(dataFolder, 0, choice->nt) == 0)
        return;
    const LeadBytes &lead = ansiLeadBytes();
    if (buildHomeDefault(dataFolder, size, homeDrive, homePath, choice->folderName, lead) &&
        fitsFolderFields(dataFolder))
        return;
    buildHomeDefault(dataFolder, size, NULL, NULL, choice->folderName, lead);
}

namespace {

// A folder stored by an earlier installation replaces the default, unless the dialog could
// not show it whole: then the default stands.
void applyStoredChoice(FolderChoice *choice)
{
    char stored[TEXT_BUFFER_SIZE];
    GetPrivateProfileStringA(INI_SECTION, INI_DATA_DIR_KEY, choice->folder, stored, sizeof stored,
                             choice->iniFileName);
    normalizeSeparators(stored, ansiLeadBytes());
    if (fitsFolderFields(stored))
        copyText(choice->folder, sizeof choice->folder, stored);
}

}  // namespace

int defaultFromShellFolder(FolderChoice *choice)
{
    HMODULE library = loadShellFolderLibrary();
    if (library == NULL)
        return 0;
    int found = 0;
    FARPROC address = GetProcAddress(library, "SHGetFolderPathA");
    if (address != NULL) {
        GetFolderPathCall getFolderPath;
        memcpy(&getFolderPath, &address, sizeof getFolderPath);  // the call's real type
        char path[MAX_PATH];
        path[0] = '\0';
        if (getFolderPath(choice->owner, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, path) >= 0) {
            stripTrailing(path, '\\', ansiLeadBytes());
            stripTrailing(path, '/', ansiLeadBytes());
            found = formatText(choice->folder, sizeof choice->folder, "%s\\%s", path,
                               choice->folderName) &&
                    fitsFolderFields(choice->folder);
        }
    }
    FreeLibrary(library);
    return found;
}

int enterFolder(const char *path, int create, int nt)
{
    if (_chdir(path) == 0)
        return 0;
    if (!create)
        return -1;
    makeDataFolder(path, nt);
    return _chdir(path) == 0 ? 0 : -1;
}

void releaseChosenFolder(FolderChoice *choice)
{
    if (choice->heldFolder != NULL)
        CloseHandle(choice->heldFolder);
    choice->heldFolder = NULL;
}

int chooseDataFolder(FolderChoice *choice, int alwaysAsk)
{
    char *dataFolder = choice->folder;
    HWND owner = choice->owner;
    const LeadBytes &lead = ansiLeadBytes();
    if (!defaultFromShellFolder(choice))
        defaultFromEnvironment(choice);
    applyStoredChoice(choice);

    int firstPass = 1;
    int confirmed = 0;  // by the dialog, which judges and questions the folder it accepts
    for (;;) {
        normalizeSeparators(dataFolder, lead);
        // The folder is stored and handed on as it is: a relative one would name another
        // folder from every other current directory.
        int absolute = makeAbsolute(dataFolder, sizeof choice->folder);
        char windowsDirectory[TEXT_BUFFER_SIZE];
        int refused = 0;
        if (readWindowsDirectory(windowsDirectory, sizeof windowsDirectory) &&
            sameFolder(windowsDirectory, dataFolder, lead)) {
            showFolderMessage(owner, FOLDER_MESSAGE_WINDOWS_DIRECTORY);
            refused = 1;
        }
        // An existing folder taken without the dialog is judged here, before anything is
        // written to it or about it; No opens the dialog on it.
        if (!refused && absolute && !alwaysAsk && !confirmed &&
            GetFileAttributesA(dataFolder) != INVALID_FILE_ATTRIBUTES &&
            !confirmFolder(owner, choice, dataFolder, 0))
            refused = 1;
        if (!refused && absolute && !alwaysAsk && enterFolder(dataFolder, !firstPass, choice->nt) == 0)
            return 1;
        releaseChosenFolder(choice);
        if (!firstPass && !refused)
            showFolderMessage(owner, FOLDER_MESSAGE_NO_ACCESS);
        firstPass = 0;
        // A dialog that cannot be shown (-1) is no accepted folder: the same as Cancel.
        if (DialogBoxParamA(choice->instance, MAKEINTRESOURCEA(IDD_FOLDER), owner,
                            folderDialogProc, pointerParam(choice)) != 1) {
            showFolderMessage(owner, FOLDER_MESSAGE_SHUTTING_DOWN);
            return 0;
        }
        alwaysAsk = 0;
        confirmed = 1;
    }
}

INT_PTR CALLBACK folderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The choice arrives with WM_INITDIALOG and stays in the dialog's user data.
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    FolderChoice *choice = paramPointer<FolderChoice>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (choice == NULL)
        return FALSE;
    if (message == WM_INITDIALOG) {
        showFolderInFields(dialog, choice->folder);
        SetFocus(GetDlgItem(dialog, IDOK));
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        if (acceptFolder(dialog, choice))
            EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_BROWSE:
        browseForParent(dialog);
        return TRUE;
    }
    return FALSE;
}
