// The helper's names drawn as 7-1, 7-2, ...: a test knows them before the run.
#include "uninstall/uninstallSelf.h"

void drawHelperNumber(uint32_t *high, uint32_t *low)
{
    static uint32_t drawn;
    *high = 7;
    *low = ++drawn;
}
