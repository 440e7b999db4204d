// A startup entry decided by the user's answer: no service program, no arguments, the
// shortcut named after the product.
#include "core/installerSettings.h"

extern const InstallerSettings installerSettings = {
    .folderName = "Velmorant",
    .productName = "Velmorant",
    .iniFileName = "velmorant.ini",
    .addStartupEntry = 1,
    .startupPrompt = "Start Velmorant with Windows?",
    .programFileName = "velmorant.exe",
    .startupArguments = "",
    .warnRunningCopies = 1,
    .runCompanionInstall = 0,
    .serviceFileName = "",
    .requiredMegabytes = 1,
    .serviceName = "",
    .startupShortcutName = "",
};
