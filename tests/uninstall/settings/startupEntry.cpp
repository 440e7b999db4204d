// A product that may start with Windows: the startup shortcut has a name of its own.
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
    .startupShortcutName = "Velmorant Agent",
};
