// A blocking wait that the caller may animate. The parts that wait (closing running copies,
// stopping a service) are handed one, so they need not know what is drawn while they wait.
#ifndef VELMORANT_PAUSE_ROUTINE_H
#define VELMORANT_PAUSE_ROUTINE_H

#include <stdint.h>

struct PauseRoutine {
    void (*pause)(void *context, int32_t milliseconds);
    void *context;
};

#endif
