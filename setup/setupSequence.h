// The whole setup run, from the background window to the offer to start the product.
#ifndef VELMORANT_SETUP_SEQUENCE_H
#define VELMORANT_SETUP_SEQUENCE_H

#include <windows.h>

#include <stdint.h>

#include "core/installerSettings.h"
#include "core/payloadTable.h"
#include "payload/extraction.h"
#include "payload/payloadCheck.h"
#include "platform/signedInUser.h"
#include "system/runningCopies.h"
#include "system/setupRunLock.h"
#include "ui/backgroundWindow.h"
#include "ui/dataFolderChoice.h"
#include "ui/pauseAnimation.h"

// Every outside effect of the run goes through this table: the program fills it with the
// platform's and the parts' own routines (setupCalls), the sequence's tests with scripted
// ones. The compiler checks each entry against the routine it stands for.
struct SetupCalls {
    int (*holdRunLock)(const char *productName, int nt);
    int (*payloadIntact)(const PayloadTable &table);
    // Takes away the copies that earlier uninstalls left in the temporary folder, where
    // nothing holds them any more.
    void (*removeEarlierUninstallerHelpers)(void);
    // Whether the run is elevated or not the desktop user's, and that user's folders.
    void (*readSignedInUser)(SignedInUser *user);
    int(WINAPI *messageBox)(HWND owner, LPCSTR text, LPCSTR title, UINT style);
    // The modal agreement: 1 accepted, 0 refused, -1 not shown.
    INT_PTR (*runAgreement)(HINSTANCE instance, HWND owner);
    // The modeless progress dialog, or NULL.
    HWND (*createProgressDialog)(HINSTANCE instance, HWND owner);
    BOOL(WINAPI *destroyWindow)(HWND window);
    BOOL(WINAPI *deleteObject)(HGDIOBJ object);
    int (*isNtPlatform)(void);
    uint32_t (*majorVersion)(void);
    // ACCOUNT_ADMINISTRATOR, ACCOUNT_POWER_USER or ACCOUNT_OTHER (setupDecisions.h).
    int (*runByAdministrator)(void);
    int (*chooseDataFolder)(FolderChoice *choice, int alwaysAsk);
    // How the chosen folder is made, and how the run lets go of it at its end.
    BOOL(WINAPI *makeFolder)(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
    BOOL(WINAPI *closeHandle)(HANDLE object);
    int(__cdecl *changeDirectory)(const char *path);
    int(__cdecl *currentDrive)(void);
    BOOL(WINAPI *diskFreeSpace)(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                                LPDWORD freeClusters, LPDWORD totalClusters);
    void (*closeRunningCopies)(HWND owner, const CopyNames &names, const PauseRoutine &pause);
    int (*removeOldService)(const char *serviceName, const PauseRoutine &pause);
    void (*pause)(PauseAnimation *animation, int milliseconds);
    // EXTRACT_NOT_RESTORED names the file whose earlier copy is not back in unrestored.
    int (*extract)(const PayloadTable &table, HWND window, ProgressRoutine progress,
                   char *unrestored, size_t unrestoredSize);
    ProgressRoutine progress;
    // 0 when the shortcut was written, else the platform's error code. specialFolder: the
    // Programs or Startup folder of another account, or NULL for this account's own.
    uint32_t (*createShortcut)(const char *specialFolder, const char *group, const char *name,
                               const char *target, const char *workingDirectory,
                               const char *arguments);
    LONG(WINAPI *createKey)(HKEY root, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options,
                            REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                            LPDWORD disposition);
    LONG(WINAPI *setValue)(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                           DWORD size);
    LONG(WINAPI *enumValue)(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                            LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
    LONG(WINAPI *deleteValue)(HKEY key, LPCSTR name);
    LONG(WINAPI *closeKey)(HKEY key);
    DWORD(WINAPI *readProfileString)(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR value,
                                     DWORD size, LPCSTR file);
    BOOL(WINAPI *writeProfileString)(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
    DWORD(WINAPI *lastError)(void);
    UINT(WINAPI *startProgram)(LPCSTR command, UINT show);
    // Starts the program through the desktop's shell, as the signed-in user: 1 when started.
    int (*startFromDesktop)(const char *program, const char *folder, const char *arguments);
    // Runs path with up to three arguments (NULL ends them) and waits: its exit code, or -1.
    intptr_t (*runAndWait)(const char *path, const char *argument0, const char *argument1,
                           const char *argument2);
};

// The platform's and the parts' routines.
extern const SetupCalls setupCalls;

// What the run's steps share; the sequence owns it and hands each part what it needs.
struct SetupRun {
    HINSTANCE instance;
    const InstallerSettings *settings;
    const PayloadTable *payload;
    const SetupCalls *calls;
    int nt;
    uint32_t majorVersion;
    HWND backgroundWindow;  // NULL again once destroyed
    SignedInUser user;      // read once the agreement is accepted
    char paintedTitle[TEXT_BUFFER_SIZE];  // "Install <productName>"
    BackgroundPicture picture;            // the title font and the painted title
    PauseAnimation animation;
    FolderChoice folderChoice;            // holds the data folder once chosen
    // The INI value before the run ("" when none), and whether the run has written its own.
    char earlierDataFolder[TEXT_BUFFER_SIZE];
    int dataFolderWritten;
    // Said at the end of a run that installs nothing when the earlier value could not be put
    // back ("" otherwise).
    char notRestoredNote[TEXT_BUFFER_SIZE];
    // The data folder joined with the program's and the uninstaller's file names.
    char programPath[TEXT_BUFFER_SIZE];
    char uninstallerPath[TEXT_BUFFER_SIZE];
    // A line for each record outside the folder that could not be written ("" when none).
    char notDone[TEXT_BUFFER_SIZE];
};

// Runs the setup with the given settings, payload and calls; returns 0 on every path. The
// run's record is filled from the start: the caller only provides it.
int runSetup(SetupRun *run, HINSTANCE instance, const InstallerSettings &settings,
             const PayloadTable &payload, const SetupCalls &calls);

#endif
