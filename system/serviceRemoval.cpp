// PLACEHOLDER until the service removal is built: reports that no service is installed.
#include "serviceRemoval.h"

int removeOldService(void)
{
    return 0;
}
