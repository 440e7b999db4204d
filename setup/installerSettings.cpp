// The settings of this build of the Velmorant setup program.
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
    1,                // requiredMegabytes
    "",               // serviceName
    "",               // startupShortcutName
};
