// The choice of the data folder the product is installed into.
#ifndef VELMORANT_DATA_FOLDER_CHOICE_H
#define VELMORANT_DATA_FOLDER_CHOICE_H

#include <windows.h>

#include <stdint.h>

#include "core/installerSettings.h"

// What the choice is handed, and where it puts the folder.
struct FolderChoice {
    HINSTANCE instance;
    HWND owner;               // of the dialog and its messages
    const char *folderName;   // the application folder proposed below the parent
    const char *iniFileName;  // where an earlier installation stored its folder
    char folder[TEXT_BUFFER_SIZE];  // the chosen folder (at most 1023 characters)
    int nt;  // the NT family: folders have access lists there (where the file system keeps them)
    uint32_t majorVersion;  // of the system, for the judgement of the folder
    // How a folder is made (CreateDirectoryA in the program).
    BOOL(WINAPI *makeFolder)(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
    // The chosen folder, open from its judgement on (NULL when none): whoever owns the choice
    // closes it, at the end of the run.
    HANDLE heldFolder;
};

// 1: a folder was chosen and entered (it is the current directory); 0: the user gave up.
// On the NT family the chosen folder is held open in the choice, as judged.
int chooseDataFolder(FolderChoice *choice, int alwaysAsk);
// Closes the held folder, if any.
void releaseChosenFolder(FolderChoice *choice);
// The "Choose a Folder" dialog; its parameter is the FolderChoice.
INT_PTR CALLBACK folderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The proposed folder, before any stored choice: Program Files and the folder name, from the
// shell's special-folder lookup (1), which can be missing on old systems (0, the folder
// untouched); then the fallback from "C:\Program Files" or the home folder in the environment.
int defaultFromShellFolder(FolderChoice *choice);
void defaultFromEnvironment(FolderChoice *choice);
// Makes path the current directory, creating it first when create is set (on the NT family
// with the protected access list of a made folder): 0 or -1.
int enterFolder(const char *path, int create, int nt);

#endif
