// Every optional step on: running copies closed by the program, an NT service, a startup
// entry with arguments and its own name, and the companion installer.
#include "core/installerSettings.h"

const InstallerSettings installerSettings = {
    "Velmorant",                       // folderName
    "Velmorant",                       // productName
    "velmorant.ini",                   // iniFileName
    1,                                 // addStartupEntry
    "Start Velmorant with Windows?",   // startupPrompt
    "velmorant.exe",                   // programFileName
    "-minimized -x",                   // startupArguments
    0,                                 // warnRunningCopies
    1,                                 // runCompanionInstall
    "velmorantsvc.exe",                // serviceFileName
    1,                                 // requiredMegabytes
    "VelmorantTestService",            // serviceName
    "Velmorant Agent",                 // startupShortcutName
};
