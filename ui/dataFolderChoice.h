// The choice of the data folder the product is installed into.
#ifndef VELMORANT_DATA_FOLDER_CHOICE_H
#define VELMORANT_DATA_FOLDER_CHOICE_H

#include <windows.h>

#include "core/installerSettings.h"

// The chosen data folder (at most 1023 characters); the current directory once chosen.
extern char dataFolder[TEXT_BUFFER_SIZE];

// 1: a folder was chosen, entered and stored in the INI file; 0: the user gave up.
int chooseDataFolder(HINSTANCE instance, HWND owner, int alwaysAsk);
INT_PTR CALLBACK folderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The proposed folder, before any stored choice: Program Files and the folder name, from the
// shell's special-folder lookup (1), which can be missing on old systems (0, dataFolder
// untouched); then the fallback from "C:\Program Files" or the home folder in the environment.
int defaultFromShellFolder(HWND owner);
void defaultFromEnvironment(void);
// Makes path the current directory, creating it first when create is set: 0 or -1.
int enterFolder(const char *path, int create);

#endif
