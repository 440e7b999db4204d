// Stops and deletes an old NT service of the product.
#ifndef VELMORANT_SERVICE_REMOVAL_H
#define VELMORANT_SERVICE_REMOVAL_H

#include "core/pauseRoutine.h"

// 0: removed or not installed; -1: no access to the service manager, or the deletion failed.
// The waits while the service stops go through pause.
int removeOldService(const char *serviceName, const PauseRoutine &pause);

#endif
