// What the uninstaller removes, each step adding what it could not remove to one report.
#ifndef VELMORANT_UNINSTALL_STEPS_H
#define VELMORANT_UNINSTALL_STEPS_H

#include <stdint.h>

#include "core/installerSettings.h"
#include "core/payloadNameList.h"

// Report lines "\r\n<item> (<reason>)", and the failures that did not fit.
#define REPORT_SIZE 4096
extern char failureReport[REPORT_SIZE];
extern int32_t failureCount;
extern int32_t droppedFailures;

// The data folder is where the uninstaller runs ("C:\\" at a drive's root); this is its own
// path there.
extern char uninstallerSelfPath[TEXT_BUFFER_SIZE];
extern char uninstallFolder[TEXT_BUFFER_SIZE];

// 1 when the folder is the product's recorded installation: the INI value or the uninstall
// entry names it. Guards against removing files beside a copy run from anywhere else.
int installationFound(const InstallerSettings &settings);
// Records a failure in the report, with the reason the error code gives, or one in words.
void reportFailure(const char *item, uint32_t errorCode, int readOnly);
void reportFailureReason(const char *item, const char *reason);

// The payload's files in the data folder (not the uninstaller itself) and the folders their
// names made, when those are then empty. A folder that now leads elsewhere, or one on the way,
// is reported and nothing below it touched. 0 when that is the data folder itself: nothing
// in it may be touched, the uninstaller's own file neither.
int removeInstalledFiles(const PayloadNameList &names);
// The two Start-menu shortcuts, their group folder when then empty, the startup shortcut: in
// this account's folders, and in another account's that the uninstall entry records.
void removeShortcuts(const InstallerSettings &settings);
// The uninstall entry under HKEY_LOCAL_MACHINE.
void removeRegistration(const char *productName);
// 1 when the data folder holds anything but the uninstaller itself.
int folderHoldsOtherFiles(void);
// How many entries folder holds besides name (found in it: *holdsName = 1); 0 for a folder
// that cannot be listed, -1 when its listing's path would not fit.
int folderEntriesBesides(const char *folder, const char *name, int *holdsName);

#endif
