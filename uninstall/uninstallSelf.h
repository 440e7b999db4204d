// The uninstaller's removal of its own file, which a running program cannot delete.
#ifndef VELMORANT_UNINSTALL_SELF_H
#define VELMORANT_UNINSTALL_SELF_H

#include <stddef.h>
#include <stdint.h>

// Opens the running program's own file at path and holds it, readable but not to be changed,
// renamed or deleted, for the rest of the run: the helper is copied from this file, whatever is
// put at its name meanwhile. 1 when held.
int holdOwnFile(const char *path);

// Starts a copy of this program, made from the held file in a new folder of its own in the
// temporary folder that only this user and the system may use, that waits for this process to
// end, then deletes the uninstaller and the data folder when that is empty; the copy and its
// folder are removed at the next restart, or earlier by the next run (removeUninstallerLeftovers).
// 1 when the copy holds this process; its path is then in copyPath.
// 0 when no copy could take over: the uninstaller and its folder are then left for the next
// restart, and copyPath names the uninstaller.
int handOverSelfRemoval(char *copyPath, size_t size);
// The copy's part, started with the arguments that handOverSelfRemoval gives it; the exit
// code. 0 when the uninstaller's file is gone.
// Takes the run lock once the original has ended, and leaves the file alone when a setup run
// holds it by then.
int finishSelfRemoval(const char *arguments, const char *productName);
// 1 when the arguments ask for the copy's part.
int isFinishRequest(const char *arguments);
// The two numbers that name the helper's folder and event, drawn anew for each run
// (drawnNumber.cpp; a test's build may draw known ones).
void drawHelperNumber(uint32_t *high, uint32_t *low);

#endif
