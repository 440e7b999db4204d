// The setup sequence's message boxes: titles, texts and styles.
#ifndef VELMORANT_SETUP_MESSAGES_H
#define VELMORANT_SETUP_MESSAGES_H

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
    MESSAGE_NOT_RESTORED,
    MESSAGE_COUNT
};

struct SetupMessageText {
    const char *title;  // may hold one %s: the product name
    const char *text;   // conversions as the step that shows it fills them
    unsigned style;     // MessageBoxA style
};

extern const SetupMessageText setupMessages[MESSAGE_COUNT];

#endif
