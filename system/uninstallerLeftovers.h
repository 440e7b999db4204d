// What earlier uninstalls left in the temporary folder.
#ifndef VELMORANT_UNINSTALLER_LEFTOVERS_H
#define VELMORANT_UNINSTALLER_LEFTOVERS_H

// Removes the uninstaller's temporary copies that nothing holds any longer, each with its
// folder: in temporaryFolder, every folder named as the uninstaller names them ("qxu<number>-
// <number>") that is no link, the file qxuninst.exe in it, and then the folder when that left
// it empty. Anything else there stays; a copy still running stays until the restart.
void removeUninstallerLeftovers(const char *temporaryFolder);
// The same in this user's temporary folder, where the uninstaller makes them.
void removeEarlierUninstallerHelpers(void);

#endif
