// A product with an NT service: the uninstaller stops and deletes it before the files go.
#include "core/installerSettings.h"

const InstallerSettings installerSettings = {
    "Velmorant",             // folderName
    "Velmorant",             // productName
    "velmorant.ini",         // iniFileName
    0,                       // addStartupEntry
    "",                      // startupPrompt
    "velmorant.exe",         // programFileName
    "",                      // startupArguments
    1,                       // warnRunningCopies
    0,                       // runCompanionInstall
    "velmorantsvc.exe",      // serviceFileName
    1,                       // requiredMegabytes
    "VelmorantTestService",  // serviceName
    "",                      // startupShortcutName
};
