// The shipping settings, but no free space required: lets a run start on a drive too small
// for its payload, so the disk fills up during the extraction.
#include "core/installerSettings.h"

const InstallerSettings installerSettings = {
    "Velmorant",      // folderName
    "Velmorant",      // productName
    "velmorant.ini",  // iniFileName
    0,                // addStartupEntry
    "",               // startupPrompt
    "velmorant.exe",  // programFileName
    "",               // startupArguments
    1,                // warnRunningCopies
    0,                // runCompanionInstall
    "",               // serviceFileName
    0,                // requiredMegabytes
    "",               // serviceName
    "",               // startupShortcutName
};
