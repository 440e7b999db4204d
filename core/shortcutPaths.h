// The file names of a shortcut: its group folder, its link file and the stale file cleared
// before it. No platform header. Each returns 1 when the path fits the buffer, else 0 with
// the empty string in it.
#ifndef VELMORANT_SHORTCUT_PATHS_H
#define VELMORANT_SHORTCUT_PATHS_H

#include <stddef.h>

// Shell paths are held in buffers of this many bytes (MAX_PATH).
#define SHELL_PATH_SIZE 260

// Values of the uninstall entry: the Programs and Startup folders of another account (the
// desktop's user, when an administrator's account ran the setup) that hold the shortcuts.
#define SHORTCUT_FOLDER_VALUE "ShortcutProgramsFolder"
#define STARTUP_FOLDER_VALUE "ShortcutStartupFolder"

// "<special folder>\<group>".
int buildGroupFolderPath(char *buffer, size_t size, const char *specialFolder, const char *group);
// "<special folder>\<group>\<name>.lnk", or "<special folder>\<name>.lnk" without a group
// (group NULL).
int buildLinkPath(char *buffer, size_t size, const char *specialFolder, const char *group,
                  const char *name);
// "<link path>.lnk": a link saved under a doubled extension by an earlier setup.
int buildStaleLinkPath(char *buffer, size_t size, const char *linkPath);

#endif
