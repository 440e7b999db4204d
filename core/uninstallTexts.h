// The uninstaller's path rules and message texts. No platform header: built natively too.
// Each routine that fills a buffer returns 1 when the whole text fit, else 0 with the empty
// string in the buffer (or, for the appending ones, the buffer unchanged).
#ifndef VELMORANT_UNINSTALL_TEXTS_H
#define VELMORANT_UNINSTALL_TEXTS_H

#include <stddef.h>
#include <stdint.h>

#include "folderPaths.h"

// Exit codes of the uninstaller.
#define UNINSTALL_REMOVED 0    // everything the setup program installed is gone
#define UNINSTALL_INCOMPLETE 1 // something could not be removed; the final message names it
#define UNINSTALL_DECLINED 2   // the user answered No: nothing was touched
#define UNINSTALL_NOT_FOUND 3  // no installation in the program's own folder

// The path routines take the code page's lead bytes, as those of folderPaths.h do; sameFolder
// is there.

// Everything before the last "\" or "/" of path.
int folderOfPath(char *folder, size_t size, const char *path, const LeadBytes &lead);
// The part after the last "\" or "/" (the whole path when it has none).
const char *fileNameOfPath(const char *path, const LeadBytes &lead);
// Cuts path at its last separator, in place; 0 when it has none (nothing is changed).
int cutLastComponent(char *path, const LeadBytes &lead);

// The installation's folder from the full path of a file in it: "C:\\" for a file at a drive's
// root, where "C:" would name that drive's current folder. 0 (empty folder) when path is not
// full: neither "<drive>:\\..." nor "\\\\server\\...".
int installationFolderOfPath(char *folder, size_t size, const char *path, const LeadBytes &lead);
// 1 for a folder the uninstaller may remove once empty: a full path that is not a root (a
// drive's or a share's). Relative and drive-relative forms would name another folder.
int isRemovableFolder(const char *folder, const LeadBytes &lead);
// The program an uninstall command names: the text between its quotes when it starts with
// one, else the whole command (the unquoted form of earlier builds).
int commandProgramPath(char *path, size_t size, const char *command);

// A stored name the uninstaller removes from the data folder: not under the system prefix
// (shared files stay), relative, and without empty, "." or ".." components, so it can name
// nothing outside the folder.
int isRemovableStoredName(const char *storedName, const LeadBytes &lead);
// "<folder>\<stored name>", with every "/" of the name written as "\".
int buildInstalledFilePath(char *path, size_t size, const char *folder, const char *storedName,
                           const LeadBytes &lead);

// Why a removal failed, from the platform's error code; a read-only file says so.
int buildFailureReason(char *reason, size_t size, uint32_t errorCode, int readOnly);
// Appends a line "<item> (<reason>)" to a report of failures.
int appendReportLine(char *report, size_t size, const char *item, const char *reason);

// The self-removal helper's arguments: /finish <process id> "<uninstaller path>".
int buildFinishArguments(char *text, size_t size, uint32_t processId, const char *uninstallerPath);
// 1 when arguments are exactly such a request whose path names the uninstaller's file.
int parseFinishArguments(const char *arguments, uint32_t *processId, char *path, size_t size,
                         const LeadBytes &lead);
// The name of the event by which the helper says it holds the uninstaller's process, from the
// name drawn for the helper's own folder.
int buildHandOverEventName(char *name, size_t size, const char *drawnName);
// The name of the helper's own folder in the temporary folder, from the two numbers drawn for
// it: "qxu<high>-<low>" in decimal.
int buildHelperFolderName(char *name, size_t size, uint32_t high, uint32_t low);
// 1 for a name that buildHelperFolderName can give: an earlier helper's folder.
int isHelperFolderName(const char *name);

// Appends "NUL=<path>" to a profile section held as a list of NUL-terminated lines ended by
// an empty one (as the profile calls read and write whole sections): the 9x family's way of
// deleting a file at the next start. The list is left unchanged when the line does not fit.
int appendRenameEntry(char *section, size_t size, const char *shortPath);

// Texts of the message boxes. The titles are fixed texts with the product name.
int buildConfirmTitle(char *title, size_t size, const char *productName);
int buildConfirmText(char *text, size_t size, const char *productName, const char *dataFolder);
int buildNotFoundText(char *text, size_t size, const char *productName, const char *dataFolder);
int buildIncompleteTitle(char *title, size_t size, const char *productName);
// The closing message. failures: report lines or "" (then 'removed'); dropped: failures that
// did not fit the report; keptFolder: the data folder left for the user's own files, or "";
// restartItems: lines of what is removed at the next restart, or "".
int buildFinalText(char *text, size_t size, const char *productName, const char *failures,
                   int32_t dropped, const char *keptFolder, const char *restartItems);
// The helper's own message when the uninstaller's file could not be removed at once.
int buildLeftForRestartText(char *text, size_t size, const char *uninstallerPath,
                            const char *reason);

// Why a folder of the installation was left alone: it, or a folder on the way to it, was
// replaced by a link during the run.
#define UNINSTALL_LINK_REASON "it was replaced by a link to another place, so it was left alone"
// The setup program or another uninstaller holds the product's run lock: this one says so and
// ends with UNINSTALL_ALREADY_RUNNING, having changed nothing.
int buildAlreadyRunningText(char *text, size_t size, const char *productName);
#define UNINSTALL_ALREADY_RUNNING 4
#define UNINSTALL_RUNNING_TITLE "Setup or Uninstall Running"

#define UNINSTALL_COMPLETE_TITLE "Uninstall Complete"
#define UNINSTALL_NOT_FOUND_TITLE "Installation Not Found"
#define UNINSTALL_LEFT_TITLE "Uninstall Not Complete"

#endif
