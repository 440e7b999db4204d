// Removal of a file at the next restart, for a file a running program holds.
#ifndef VELMORANT_RESTART_REMOVAL_H
#define VELMORANT_RESTART_REMOVAL_H

// Marks a file, or an empty folder, for removal at the next restart; 0 when it could not.
// The NT family keeps the list itself; the 9x family reads WININIT.INI's [rename] section.
int scheduleRemovalAtRestart(const char *path);

#endif
