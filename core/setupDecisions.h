// The decisions and texts the setup sequence makes itself, free of platform calls.
#ifndef VELMORANT_SETUP_DECISIONS_H
#define VELMORANT_SETUP_DECISIONS_H

#include <stddef.h>
#include <stdint.h>

#include "pathText.h"

// The root whose free space is measured: the folder's first three characters ("C:\"); for a
// network folder "\\server\share\" (a root that cannot be read skips the check); otherwise
// the current drive as "X:/" with drive 1 = A. Returns 1 when the root fit the buffer.
int buildDriveRoot(char *root, size_t size, const char *folder, int currentDrive,
                   const LeadBytes &lead);

// Free-space check in unsigned 32-bit arithmetic, as the disk query reports it.
// Returns 1 when the drive has room; a drive reporting zero bytes per cluster has
// nothing to measure and counts as having room (the check is skipped).
int driveHasRoom(uint32_t requiredMegabytes, uint32_t sectorsPerCluster,
                 uint32_t bytesPerSector, uint32_t freeClusters);
// Free megabytes of 1048576 bytes, rounded down. Reported only when the drive lacks room,
// where the byte count stays below the required amount and so within 32 bits.
uint32_t freeMegabytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                       uint32_t freeClusters);

// "<folder>\<fileName>": the program, uninstaller, companion and service paths.
int buildFolderFilePath(char *path, size_t size, const char *folder, const char *fileName);
// The path in quotation marks: the first argument given to a child program, and the
// command line of the final start.
int buildQuotedPath(char *text, size_t size, const char *path);
// The immediate start after the startup shortcut: quoted path, a blank, the arguments
// (possibly empty) and a line feed as the last character.
int buildStartupCommand(char *text, size_t size, const char *programPath, const char *arguments);
// The uninstall key below HKEY_LOCAL_MACHINE.
int buildUninstallKeyPath(char *text, size_t size, const char *productName);

// The first NT version that runs an administrator's programs apart from the signed-in user's
// (Vista, 6.0): there a manifest asks for the rights, and the user's own programs run
// without them.
#define SEPARATE_ADMINISTRATOR_MAJOR_VERSION 6u

// Who sits at the desktop, next to the account this program runs in.
enum DesktopUser { DESKTOP_SAME, DESKTOP_OTHER, DESKTOP_UNKNOWN };

// How the product is started for the user (the final Yes, the startup entry's first start).
// Directly only where that gives it no more rights than the signed-in user has: the 9x family,
// or a token that is not elevated and belongs to the desktop's user. Otherwise only the
// desktop's shell may start it, as a shortcut would; when the shell cannot, nothing starts.
enum StartMethod { START_THROUGH_DESKTOP, START_DIRECTLY };
StartMethod startMethod(int nt, int elevated, int desktopUser);

// Who runs the setup program, as far as installing is concerned.
enum InstallingAccount { ACCOUNT_OTHER, ACCOUNT_ADMINISTRATOR, ACCOUNT_POWER_USER };
// Before Vista nothing asks for the rights the run needs: a user who is not an administrator
// on such an NT system is sent away at the start, except a Power User on 2000 and XP, who
// may make himself an administrator there anyway. The 9x family has no such rights.
int refusesUser(int nt, uint32_t majorVersion, int account);

#endif
