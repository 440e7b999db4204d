#include "setupMessages.h"

#include "boundedText.h"

// MessageBoxA styles, spelled out so this table needs no platform header.
enum { STYLE_OK = 0x0, STYLE_YESNO = 0x4, STYLE_WARNING = 0x30 };

#define FAILED_TITLE "%s Installation Failed"

const SetupMessageText setupMessages[MESSAGE_COUNT] = {
    // MESSAGE_NOT_INSTALLED
    {"Application Not Installed",
     "The application will not be installed at this time. If you decide to install the "
     "application later, just launch this program again to complete the installation process.",
     STYLE_WARNING},
    // MESSAGE_NO_SPACE: required megabytes, drive root, free megabytes
    {"Not Enough Disk Space",
     "Not enough free disk space is available on the drive you have specified. %d megabytes of "
     "free space are required for the proper operation of the program. On drive %s only %d "
     "megabytes of free space are available.\r\n\r\nYou will be given another opportunity to "
     "choose a location for the software. You may wish to cancel the installation process, or "
     "use your Windows desktop to delete files, making more room for the program.",
     STYLE_WARNING},
    // MESSAGE_CLOSE_COPIES: product name twice
    {"Close Running Copies First!",
     "Do you already have an older version of %s?\r\n\r\nIf you do, MAKE SURE IT IS NOT RUNNING "
     "RIGHT NOW. If it is running, shut it down BEFORE clicking the OK button.\r\n\r\nIf you "
     "have not installed %s before, just click the OK button.",
     STYLE_WARNING},
    // MESSAGE_OLD_SERVICE
    {"Uninstalling Old Service (If Present)",
     "There will be a brief pause while any previously installed copies of our NT service are "
     "shut down. This pause will begin when you click OK.",
     STYLE_WARNING},
    // MESSAGE_SERVICE_NOT_REMOVED
    {"NT Service Not Uninstalled",
     "The NT service could not be uninstalled. This may occur if the program is in the middle "
     "of a time-consuming operation and is not able to respond to shutdown requests at this "
     "time. Wait a considerable time and try the install again. If the problem persists, call "
     "technical support.",
     STYLE_WARNING},
    // MESSAGE_FAILED_CREATE
    {FAILED_TITLE,
     "The application was not able to create one of its component files. The disk is full, or "
     "a copy of the application is already running, or you do not have write access to the "
     "directory in which you are attempting to install the application. Check your available "
     "disk space, make sure the application is not running now, and run the setup program "
     "again.",
     STYLE_WARNING},
    // MESSAGE_FAILED_WRITE
    {FAILED_TITLE,
     "The application was unable to finish writing a file to disk. Your hard drive is probably "
     "full. Check your available disk space, make additional space available, and run the "
     "setup program again.",
     STYLE_WARNING},
    // MESSAGE_FAILED_MEMORY
    {FAILED_TITLE,
     "Insufficient memory was available for the setup procedure. Close other applications and "
     "run the setup program again.",
     STYLE_WARNING},
    // MESSAGE_NEW_SERVICE
    {"Installing Service",
     "There will be a brief pause while the new NT service is started up. This pause will "
     "begin when you click OK.",
     STYLE_OK},
    // MESSAGE_SERVICE_FAILED
    {"Service Installation Failed",
     "The installation of the service did not succeed. The software can still be run manually.",
     STYLE_WARNING},
    // MESSAGE_DONE: product name twice
    {"Installation Successful",
     "%s has been successfully installed on your system. Would you like to start %s now?",
     STYLE_YESNO},
    // MESSAGE_PATH_TOO_LONG: the paths below the chosen folder would not fit their buffers
    {FAILED_TITLE,
     "The name of the folder you have chosen is too long for the application's files. Run the "
     "setup program again and choose a folder with a shorter name.",
     STYLE_WARNING},
    // MESSAGE_DAMAGED: the payload differs from what the generator recorded
    {FAILED_TITLE,
     "The setup file is damaged: its contents are not what was recorded when it was made, as "
     "happens when a download is cut short or a copy goes wrong. Nothing has been installed "
     "or changed. Download the setup program again and run the new copy.",
     STYLE_WARNING},
    // MESSAGE_ALREADY_RUNNING: product name
    {"Setup Already Running",
     "The setup program or the uninstaller of %s is already running. Let it finish first; "
     "this copy ends now without changing anything.",
     STYLE_WARNING},
    // MESSAGE_ADMINISTRATOR_NEEDED: product name
    {"Administrator Needed",
     "%s is installed for everyone who uses this computer, which only an administrator of "
     "this computer may do. Ask an administrator to run the setup program, or log on as one "
     "and start it again. Nothing has been installed or changed.",
     STYLE_WARNING},
    // MESSAGE_NOT_ALL_DONE: product name, the lines of appendNotDoneLine
    {"%s Not Completely Installed",
     "The files of %s are installed, but these parts of the installation could not be "
     "made:\r\n%s\r\n\r\nThe program can be used without them. Remove the cause and run the "
     "setup program again to complete the installation.",
     STYLE_WARNING},
    // MESSAGE_NOT_RESTORED: the full path of a file whose earlier copy could not be put back
    {FAILED_TITLE,
     "The earlier version of this file could not be put back:\r\n\r\n%s\r\n\r\nAnother program "
     "may be using it. Close other programs and run the setup program again: it will first "
     "try again to put the earlier version back.",
     STYLE_WARNING},
    // MESSAGE_EARLIER_LOST: the full paths, one a line, of files whose earlier copies are gone
    {"Earlier Files Lost",
     "An earlier setup run that was stopped had set these files of the earlier installation "
     "aside, and they have been deleted since, so they cannot be put back:\r\n\r\n%s\r\n\r\n"
     "The setup program now goes on and installs them again.",
     STYLE_WARNING},
    // MESSAGE_START_YOURSELF: product name, the program's full path
    {"%s Installed",
     "%s has been installed. It could not be started for you as the signed-in user, and this "
     "setup program does not start it with its own rights. Start it yourself from the Start "
     "menu, or open this program:\r\n\r\n%s",
     STYLE_WARNING},
};

namespace {

const char *const recordNames[RECORD_COUNT] = {
    "the program's shortcut in the Start menu",
    "the Uninstall shortcut in the Start menu",
    "the entry in the list of installed programs, from which it is uninstalled",
    "the note of the chosen folder that the program reads",
    "the shortcut that starts the program with Windows",
};

// Platform error codes with a plain reason.
struct KnownReason {
    uint32_t error;
    const char *reason;
};
const KnownReason knownReasons[] = {
    {5, "this account has no administrator rights for it"},     // access denied
    {1314, "this account has no administrator rights for it"},  // a privilege not held
    {1260, "a policy set for this computer forbids it"},        // access disabled by policy
    {112, "the disk is full"},
    {39, "the disk is full"},
    {0, "Windows gave no reason"},
};

// The reason in plain words, or the code itself.
int reasonOfError(char *reason, size_t size, uint32_t error)
{
    for (const KnownReason &known : knownReasons)
        if (known.error == error)
            return copyText(reason, size, known.reason);
    return formatText(reason, size, "Windows reported error %u", (unsigned)error);
}

}  // namespace

int buildNotRestoredNote(char *text, size_t size, const char *earlier, uint32_t error)
{
    char reason[64];
    return reasonOfError(reason, sizeof reason, error) &&
           formatText(text, size,
                      "\r\n\r\nThe note of the folder that the program reads could not be set "
                      "back to %s (%s): it names the folder chosen in this run, where the "
                      "program is not installed.",
                      earlier, reason);
}

int appendNotDoneLine(char *lines, size_t size, InstallRecord record, uint32_t error)
{
    char reason[64];
    char line[256];
    return reasonOfError(reason, sizeof reason, error) &&
           (unsigned)record < (unsigned)RECORD_COUNT &&
           formatText(line, sizeof line, "\r\n- %s: %s", recordNames[record], reason) &&
           appendText(lines, size, line);
}
