// The settings of this build of the Velmorant setup program.
#include "core/installerSettings.h"

extern const InstallerSettings installerSettings = {
    .folderName = "Velmorant",
    .productName = "Velmorant",
    .iniFileName = "velmorant.ini",
    .addStartupEntry = 0,
    .startupPrompt = "",
    .programFileName = "velmorant.exe",
    .startupArguments = "",
    .warnRunningCopies = 1,
    .runCompanionInstall = 0,
    .serviceFileName = "",
    .requiredMegabytes = 1,
    .serviceName = "",
    .startupShortcutName = "",
};
