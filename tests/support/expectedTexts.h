// The texts the programs show, as a user reads them for the shipping names. Shared by every
// test that checks a message box or a dialog.
#ifndef VELMORANT_TEST_EXPECTED_TEXTS_H
#define VELMORANT_TEST_EXPECTED_TEXTS_H

#include <string>

inline constexpr char notInstalledText[] =
    "The application will not be installed at this time. If you decide to install the "
    "application later, just launch this program again to complete the installation process.";
inline constexpr char shuttingDownText[] =
    "This program cannot operate without a data folder to store its files in. The program will "
    "exit now. Please determine an appropriate folder name and start the program again later.";
inline constexpr char failedCreateText[] =
    "The application was not able to create one of its component files. The disk is full, or a "
    "copy of the application is already running, or you do not have write access to the "
    "directory in which you are attempting to install the application. Check your available "
    "disk space, make sure the application is not running now, and run the setup program again.";
inline constexpr char failedWriteText[] =
    "The application was unable to finish writing a file to disk. Your hard drive is probably "
    "full. Check your available disk space, make additional space available, and run the setup "
    "program again.";
inline constexpr char closeCopiesText[] =
    "Do you already have an older version of Velmorant?\r\n\r\nIf you do, MAKE SURE IT IS NOT "
    "RUNNING RIGHT NOW. If it is running, shut it down BEFORE clicking the OK button.\r\n\r\n"
    "If you have not installed Velmorant before, just click the OK button.";
inline constexpr char doneText[] =
    "Velmorant has been successfully installed on your system. Would you like to start "
    "Velmorant now?";
inline constexpr char oldServiceText[] =
    "There will be a brief pause while any previously installed copies of our NT service are "
    "shut down. This pause will begin when you click OK.";
inline constexpr char newServiceText[] =
    "There will be a brief pause while the new NT service is started up. This pause will begin "
    "when you click OK.";
inline constexpr char serviceFailedText[] =
    "The installation of the service did not succeed. The software can still be run manually.";
inline constexpr char closingText[] =
    "Any copies of Velmorant currently running must now be shut down. This may take a few "
    "seconds.";
inline constexpr char removedText[] = "Velmorant has been removed from your computer.";
inline constexpr char cannotCreateText[] =
    "That folder does not exist, and the application was not able to create it. Most likely "
    "the parent folder does not exist or you have entered a path the program does not have "
    "write access to.";
inline constexpr char fileText[] =
    "That path specifies a file, and not a new or existing folder name. Please enter a folder "
    "name, such as Velmorant for example.";
inline constexpr char tooLongText[] =
    "The name of the folder you have chosen is too long for the application's files. Run the "
    "setup program again and choose a folder with a shorter name.";
inline constexpr char windowsDirectoryText[] =
    "That directory is the Windows directory. It is not safe to install applications in the "
    "Windows directory because it contains other important system files. Please choose another "
    "location.";
inline constexpr char noAccessText[] =
    "That directory does not exist and could not be created. Please enter a valid location for "
    "a directory on your system.";
inline constexpr char existingFolderText[] =
    "That folder already exists. The application can use it, but we do not recommend using a "
    "folder that is already being used for other purposes. Are you sure you want to use this "
    "directory?";
inline constexpr char outOfMemoryText[] =
    "Insufficient memory was available for the setup procedure. Close other applications "
    "and run the setup program again.";
inline constexpr char damagedText[] =
    "The setup file is damaged: its contents are not what was recorded when it was made, as "
    "happens when a download is cut short or a copy goes wrong. Nothing has been installed or "
    "changed. Download the setup program again and run the new copy.";
inline constexpr char alreadyRunningText[] =
    "The setup program or the uninstaller of Velmorant is already running. Let it finish "
    "first; this copy ends now without changing anything.";
inline constexpr char uninstallerRunningText[] =
    "The setup program or the uninstaller of Velmorant is already running. Let it finish "
    "first; this uninstaller ends now without removing anything.";
inline constexpr char administratorNeededText[] =
    "Velmorant is installed for everyone who uses this computer, which only an administrator "
    "of this computer may do. Ask an administrator to run the setup program, or log on as one "
    "and start it again. Nothing has been installed or changed.";
inline constexpr char openToOthersText[] =
    "Other users of this computer can change the files in that folder. A program installed "
    "there could be replaced by one of theirs, which would then run with administrator rights "
    "when an administrator starts it.\r\n\r\nDo you want to install there anyway?";
inline constexpr char existingAndOpenText[] =
    "That folder already exists, and other users of this computer can change the files in it. "
    "We do not recommend using a folder that is already being used for other purposes, and a "
    "program installed there could be replaced by one of theirs, which would then run with "
    "administrator rights when an administrator starts it.\r\n\r\nDo you want to install "
    "there anyway?";
// The failure after which an earlier file is not back, for the file at path.
inline std::string notRestoredText(const std::string &path)
{
    return "The earlier version of this file could not be put back:\r\n\r\n" + path +
           "\r\n\r\nAnother program may be using it. Close other programs and run the setup "
           "program again: it will first try again to put the earlier version back.";
}
// The files, one a line, whose earlier copies a stopped run set aside and that are gone.
inline std::string earlierLostText(const std::string &paths)
{
    return "An earlier setup run that was stopped had set these files of the earlier "
           "installation aside, and they have been deleted since, so they cannot be put "
           "back:\r\n\r\n" + paths + "\r\n\r\nThe setup program now goes on and installs "
           "them again.";
}

#endif
