// PLACEHOLDER until the data folder choice is built: always takes "C:\Program Files\<folder>"
// without asking. Replaced by the data folder work.
#include "dataFolderChoice.h"

#include <direct.h>

#include "../setup/boundedText.h"

char dataFolder[TEXT_BUFFER_SIZE];

int enterFolder(const char *path, int create)
{
    if (_chdir(path) == 0)
        return 0;
    if (!create)
        return -1;
    _mkdir(path);
    return _chdir(path) == 0 ? 0 : -1;
}

int chooseDataFolder(HINSTANCE, HWND, int)
{
    if (!formatText(dataFolder, sizeof dataFolder, "C:\\Program Files\\%s",
                    installerSettings.folderName) ||
        enterFolder(dataFolder, 1) != 0)
        return 0;
    WritePrivateProfileStringA(INI_SECTION, INI_DATA_DIR_KEY, dataFolder,
                               installerSettings.iniFileName);
    return 1;
}

INT_PTR CALLBACK folderDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
