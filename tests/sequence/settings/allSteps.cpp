// Every optional step on: running copies closed by the program, an NT service, a startup
// entry with arguments and its own name, and the companion installer.
#include "core/installerSettings.h"

extern const InstallerSettings installerSettings = {
    .folderName = "Velmorant",
    .productName = "Velmorant",
    .iniFileName = "velmorant.ini",
    .addStartupEntry = 1,
    .startupPrompt = "Start Velmorant with Windows?",
    .programFileName = "velmorant.exe",
    .startupArguments = "-minimized -x",
    .warnRunningCopies = 0,
    .runCompanionInstall = 1,
    .serviceFileName = "velmorantsvc.exe",
    .requiredMegabytes = 1,
    .serviceName = "VelmorantTestService",
    .startupShortcutName = "Velmorant Agent",
};
