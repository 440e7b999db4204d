// A startup entry decided by the user's answer: no service program, no arguments, the
// shortcut named after the product.
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
    "",                               // startupShortcutName
};
