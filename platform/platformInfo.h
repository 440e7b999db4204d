// Small facts of the running system, each read in one place.
#ifndef VELMORANT_PLATFORM_INFO_H
#define VELMORANT_PLATFORM_INFO_H

#include <windows.h>

#include <stdint.h>

#include "core/pathText.h"

// 1 on the NT family; a version that cannot be read counts as not NT (nothing unfilled is
// read).
int isNtPlatform(void);
// The system's major version (4 for 95, 98, ME and NT 4.0; 5 for 2000 and XP; 6 from Vista);
// 0 when it cannot be read.
uint32_t windowsMajorVersion(void);
// The Programs or Startup folder (a CSIDL value) as a path in a MAX_PATH buffer; 0 when the
// shell cannot give it.
int specialFolderPath(int folder, char *path);
// Deletes a file, trying again while another program (one just asked to close) still holds
// it: 1 when the file is gone (or was never there), else 0 with the platform's reason of the
// last attempt in *error.
int deleteFileWithRetries(const char *path, int attempts, int waitMilliseconds, DWORD *error);
// The lead bytes of the ANSI code page, for the path routines of the core; read once.
const LeadBytes &ansiLeadBytes(void);

#endif
