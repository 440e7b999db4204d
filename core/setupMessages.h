// The setup sequence's message boxes: titles, texts and styles.
#ifndef VELMORANT_SETUP_MESSAGES_H
#define VELMORANT_SETUP_MESSAGES_H

#include <stddef.h>
#include <stdint.h>

enum SetupMessage {
    MESSAGE_NOT_INSTALLED,
    MESSAGE_NO_SPACE,
    MESSAGE_CLOSE_COPIES,
    MESSAGE_OLD_SERVICE,
    MESSAGE_SERVICE_NOT_REMOVED,
    MESSAGE_FAILED_CREATE,
    MESSAGE_FAILED_WRITE,
    MESSAGE_FAILED_MEMORY,
    MESSAGE_NEW_SERVICE,
    MESSAGE_SERVICE_FAILED,
    MESSAGE_DONE,
    MESSAGE_PATH_TOO_LONG,
    MESSAGE_DAMAGED,
    MESSAGE_ALREADY_RUNNING,
    MESSAGE_ADMINISTRATOR_NEEDED,
    MESSAGE_NOT_ALL_DONE,
    MESSAGE_NOT_RESTORED,
    MESSAGE_EARLIER_LOST,
    MESSAGE_START_YOURSELF,
    MESSAGE_COUNT
};

struct SetupMessageText {
    const char *title;  // may hold one %s: the product name
    const char *text;   // conversions as the step that shows it fills them
    unsigned style;     // MessageBoxA style
};

extern const SetupMessageText setupMessages[MESSAGE_COUNT];

// What the run writes outside the data folder, each checked as it is written.
enum InstallRecord {
    RECORD_PROGRAM_SHORTCUT,
    RECORD_UNINSTALL_SHORTCUT,
    RECORD_UNINSTALL_ENTRY,
    RECORD_DATA_FOLDER_VALUE,
    RECORD_STARTUP_ENTRY,
    RECORD_COUNT
};
// Appends a line to the list of MESSAGE_NOT_ALL_DONE: the record in plain words and why it
// was not written, from the platform's error code (missing rights, a policy, a full disk, or
// the code itself). 0 with the list unchanged when the line does not fit.
int appendNotDoneLine(char *lines, size_t size, InstallRecord record, uint32_t error);
// The paragraph added to the message that ends a run when the INI value could not be set back
// to earlier (and so names a folder where nothing was installed), with the reason. 0 when it
// does not fit.
int buildNotRestoredNote(char *text, size_t size, const char *earlier, uint32_t error);

#endif
