// Start-menu and Startup-folder shortcuts through the shell's link object.
#ifndef VELMORANT_SHORTCUTS_H
#define VELMORANT_SHORTCUTS_H

#include <windows.h>

#include <stdint.h>

// group NULL: a startup shortcut in the Startup folder. arguments NULL: none set.
// 0 when the link was written, otherwise why not: the platform's error code (access denied,
// disk full, ...; a name too long for the shell's buffers is ERROR_FILENAME_EXCED_RANGE).
uint32_t createShortcut(const char *group, const char *name, const char *target,
                        const char *workingDirectory, const char *arguments);
// The same in otherFolder (the Programs folder with a group, else the Startup folder) of
// another account; NULL: this account's own.
uint32_t createShortcutIn(const char *otherFolder, const char *group, const char *name,
                          const char *target, const char *workingDirectory, const char *arguments);
HRESULT writeShellLink(const char *target, const char *linkPath, const char *description,
                       const char *workingDirectory, int minimized, const char *arguments);

#endif
