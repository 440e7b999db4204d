// A product that may start with Windows: the startup shortcut has a name of its own.
#include "core/installerSettings.h"

const InstallerSettings installerSettings = {
    "Velmorant",                      // folderName
    "Velmorant",                      // productName
    "velmorant.ini",                  // iniFileName
    1,                                // addStartupEntry
    "Start Velmorant with Windows?",  // startupPrompt
    "velmorant.exe",                  // programFileName
    "",                               // startupArguments
    1,                                // warnRunningCopies
    0,                                // runCompanionInstall
    "",                               // serviceFileName
    1,                                // requiredMegabytes
    "",                               // serviceName
    "Velmorant Agent",                // startupShortcutName
};
