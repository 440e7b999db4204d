// A blocking pause that turns the word "Working" on the background window.
#ifndef VELMORANT_PAUSE_ANIMATION_H
#define VELMORANT_PAUSE_ANIMATION_H

#include <windows.h>

#include <stdint.h>

#include "core/pauseRoutine.h"

// Where the word turns, in which font, and the ring's rotation in steps of 10 degrees
// (0 to 35), kept from one pause to the next.
struct PauseAnimation {
    HWND window;
    HFONT font;
    int32_t phase;
};

void pauseWithAnimation(PauseAnimation *animation, int milliseconds);
// The same pause for the parts that are handed a PauseRoutine.
PauseRoutine animatedPause(PauseAnimation *animation);

#endif
