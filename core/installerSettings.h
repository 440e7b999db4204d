// The compiled-in settings record that names the product and switches the optional steps.
// Shared by the setup program and the uninstaller; no platform header, so the routines that
// only handle text can be built anywhere.
#ifndef VELMORANT_INSTALLER_SETTINGS_H
#define VELMORANT_INSTALLER_SETTINGS_H

#include <stdint.h>

// Text fields are never null; an empty string switches off what the field feeds.
// Flags and numbers are signed 32-bit; a flag is set when non-zero.
struct InstallerSettings {
    const char *folderName;
    const char *productName;
    const char *iniFileName;
    int32_t addStartupEntry;
    const char *startupPrompt;
    const char *programFileName;
    const char *startupArguments;
    int32_t warnRunningCopies;
    int32_t runCompanionInstall;
    const char *serviceFileName;
    int32_t requiredMegabytes;
    const char *serviceName;
    const char *startupShortcutName;
};


// Names and numbers compiled into the setup driver that other parts share.
#define UNINSTALLER_FILE_NAME "qxuninst.exe"
#define COMPANION_FILE_NAME "nqlopsv.exe"
#define INI_SECTION "Options"
#define INI_DATA_DIR_KEY "dataDir"
#define BACKGROUND_CLASS_NAME "install"
#define BACKGROUND_TITLE_FORMAT "Install %s"
#define UNINSTALL_SHORTCUT_NAME "Uninstall"
#define SERVICE_PAUSE_MILLISECONDS 6000

// Every path and text buffer of the run holds this many bytes unless a routine says otherwise.
#define TEXT_BUFFER_SIZE 1024

#endif
