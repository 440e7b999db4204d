// Whether the payload compiled into the program is still the one the generator made.
#ifndef VELMORANT_PAYLOAD_CHECK_H
#define VELMORANT_PAYLOAD_CHECK_H

#include "core/payloadTable.h"

// 1 when every file's streams, back to back, give the Adler-32 value the generator recorded;
// 0 at the first that does not (a damaged or cut setup file), or when no values are recorded.
int payloadTableIntact(const PayloadTable &table);

#endif
