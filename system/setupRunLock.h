// One setup run of a product at a time.
#ifndef VELMORANT_SETUP_RUN_LOCK_H
#define VELMORANT_SETUP_RUN_LOCK_H

// 1 when no other setup run of the product is going on: this process then holds the lock until
// it ends (also when killed). 0 when another run holds it. A lock that cannot be made at all
// does not stop the run.
int holdSetupRunLock(const char *productName);

#endif
