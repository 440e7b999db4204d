// A new folder that only the user running this program and the system may use.
#ifndef VELMORANT_PRIVATE_FOLDER_H
#define VELMORANT_PRIVATE_FOLDER_H

#include <stdint.h>

// Creates the folder at path, which must not exist yet. On the NT family (ntFamily) it gets an
// access list of its own: the running user and the system with full control, nothing inherited
// from its parent; when that list cannot be made, no folder is made either. The 9x family has
// no access lists. Returns 1 when made; else 0 and the platform's error code in *error
// (ERROR_ALREADY_EXISTS: the name is taken).
int createPrivateFolder(const char *path, int ntFamily, uint32_t *error);

#endif
