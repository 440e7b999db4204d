// A product with an NT service: the uninstaller stops and deletes it before the files go.
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
    .serviceFileName = "velmorantsvc.exe",
    .requiredMegabytes = 1,
    .serviceName = "VelmorantTestService",
    .startupShortcutName = "",
};
