// Path handling for the data folder choice: separators, the dialog's two fields, the default
// folder built from the home folder. No platform calls, so it also builds natively.
#ifndef VELMORANT_FOLDER_PATHS_H
#define VELMORANT_FOLDER_PATHS_H

#include <stddef.h>

#include "pathText.h"

// Each of the folder dialog's two fields is read into a 260-byte buffer: at most this many
// characters. A candidate folder longer than this is never proposed, since the dialog could
// not hand it back whole.
#define FOLDER_FIELD_LIMIT 259

// Every routine here takes the code page's lead bytes: the second byte of a double-byte
// character is never read as a separator or a letter.

// Removes the last character of path when it is character; an empty path stays as it is.
void stripTrailing(char *path, char character, const LeadBytes &lead);
// Every run of "/" and "\" becomes one "\", but a network path keeps its leading "\\".
void normalizeSeparators(char *path, const LeadBytes &lead);

// Splits folder at its last "\" (else its last "/") into the text before and the text after
// the separator; without a separator the whole text is the parent and application is empty.
// Returns 0, with both buffers empty, when a part does not fit its buffer.
int splitFolder(const char *folder, char *parent, size_t parentSize, char *application,
                size_t applicationSize, const LeadBytes &lead);

// The folder the dialog's OK proposes: parent with "/" turned into "\", a "\" unless it ends
// in one already (an empty parent gets one too), then application as typed.
// Returns 0, with path empty, when it does not fit.
int composeChosenFolder(char *path, size_t size, const char *parent, const char *application,
                        const LeadBytes &lead);

// The form of a composed folder to look up and create: without trailing separators, which the
// runtime's lookup refuses for an existing folder ("C:\Apps\" would read as missing), but a
// root ("\", "C:\") keeps its own.
void dropTrailingSeparators(char *path, const LeadBytes &lead);

// 1 when path ends with folderName, letters compared without regard to case (ASCII, as the
// C locale does); no separator is needed before it. An empty folderName matches every path.
int endsWithFolderName(const char *path, const char *folderName, const LeadBytes &lead);

// The same folder: ASCII letters compared without case, "/" and "\" alike, separators at
// the end ignored. An empty path names no folder.
int sameFolder(const char *a, const char *b, const LeadBytes &lead);

// The default folder below the home folder. homeDrive and homePath are the environment's
// values, NULL when unset (then "C:" and ""). When homePath starts with its own drive
// ("E:..."), it is used alone; otherwise homeDrive, without a trailing separator, comes
// first. Then one trailing separator is dropped and "\" and folderName appended.
// Returns 0, with folder empty, when the result does not fit.
int buildHomeDefault(char *folder, size_t size, const char *homeDrive, const char *homePath,
                     const char *folderName, const LeadBytes &lead);

// 1 when a component of path is a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9) in any letter case, alone or followed by an extension or by blanks:
// such a path opens the device wherever it points, so it can never be a folder.
int namesDevice(const char *path, const LeadBytes &lead);

// 1 when the dialog can show path whole and hand it back unchanged.
int fitsFolderFields(const char *path);

#endif
