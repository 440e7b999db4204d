// The setup run's calls in the program: the platform's and the parts' own routines.
#include <direct.h>
#include <process.h>

#include "core/resourceIds.h"
#include "platform/administratorCheck.h"
#include "platform/platformInfo.h"
#include "setupSequence.h"
#include "system/desktopStart.h"
#include "system/serviceRemoval.h"
#include "system/shortcuts.h"
#include "system/uninstallerLeftovers.h"
#include "ui/setupDialogs.h"

namespace {

INT_PTR runAgreement(HINSTANCE instance, HWND owner)
{
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_AGREEMENT), owner, agreementDialogProc,
                           0);
}

HWND createProgressDialog(HINSTANCE instance, HWND owner)
{
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, progressDialogProc,
                              0);
}

intptr_t runAndWait(const char *path, const char *argument0, const char *argument1,
                    const char *argument2)
{
    return _spawnl(_P_WAIT, path, argument0, argument1, argument2, (const char *)NULL);
}

}  // namespace

extern const SetupCalls setupCalls = {
    .holdRunLock = holdSetupRunLock,
    .payloadIntact = payloadTableIntact,
    .removeEarlierUninstallerHelpers = removeEarlierUninstallerHelpers,
    .readSignedInUser = readSignedInUser,
    .messageBox = MessageBoxA,
    .runAgreement = runAgreement,
    .createProgressDialog = createProgressDialog,
    .destroyWindow = DestroyWindow,
    .deleteObject = DeleteObject,
    .isNtPlatform = isNtPlatform,
    .majorVersion = windowsMajorVersion,
    .runByAdministrator = runByAdministrator,
    .chooseDataFolder = chooseDataFolder,
    .makeFolder = CreateDirectoryA,
    .closeHandle = CloseHandle,
    .changeDirectory = _chdir,
    .currentDrive = _getdrive,
    .diskFreeSpace = GetDiskFreeSpaceA,
    .closeRunningCopies = closeRunningCopies,
    .removeOldService = removeOldService,
    .pause = pauseWithAnimation,
    .extract = extractPayloadTable,
    .progress = showProgress,
    .createShortcut = createShortcutIn,
    .createKey = RegCreateKeyExA,
    .setValue = RegSetValueExA,
    .enumValue = RegEnumValueA,
    .deleteValue = RegDeleteValueA,
    .closeKey = RegCloseKey,
    .readProfileString = GetPrivateProfileStringA,
    .writeProfileString = WritePrivateProfileStringA,
    .lastError = GetLastError,
    .startProgram = WinExec,
    .startFromDesktop = startFromDesktop,
    .runAndWait = runAndWait,
};
