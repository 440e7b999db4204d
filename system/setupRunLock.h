// One run at a time of the product's setup program or uninstaller.
#ifndef VELMORANT_SETUP_RUN_LOCK_H
#define VELMORANT_SETUP_RUN_LOCK_H

// 1 when neither a setup run nor an uninstall of the product is going on, in any session of
// the machine: this process then holds the lock until it ends (also when killed). 0 when
// another run holds it. nt: the NT family, where the lock is one name for every session; the
// 9x family has one session and knows no such names. A lock that cannot be made at all does
// not stop the run.
int holdSetupRunLock(const char *productName, int nt);

#endif
