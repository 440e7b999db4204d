// The shipping settings, but no free space required: lets a run start on a drive too small
// for its payload, so the disk fills up during the extraction.
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
    .requiredMegabytes = 0,
    .serviceName = "",
    .startupShortcutName = "",
};
