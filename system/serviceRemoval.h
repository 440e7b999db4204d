// Stops and deletes an old NT service of the product.
#ifndef VELMORANT_SERVICE_REMOVAL_H
#define VELMORANT_SERVICE_REMOVAL_H

// 0: removed or not installed; -1: no access to the service manager, or the deletion failed.
int removeOldService(void);

#endif
