// The whole setup run, from the background window to the offer to start the product.
#ifndef VELMORANT_SETUP_SEQUENCE_H
#define VELMORANT_SETUP_SEQUENCE_H

#include <windows.h>

#include "core/installerSettings.h"

extern HINSTANCE setupInstance;
// The data folder joined with the program's and the uninstaller's file names.
extern char programPath[TEXT_BUFFER_SIZE];
extern char uninstallerPath[TEXT_BUFFER_SIZE];

// Runs the setup with the compiled-in settings; returns 0 on every path.
int runSetup(HINSTANCE instance);

#endif
