// A blocking pause that turns the word "Working" on the background window.
#ifndef VELMORANT_PAUSE_ANIMATION_H
#define VELMORANT_PAUSE_ANIMATION_H

#include <stdint.h>

// The ring's rotation in steps of 10 degrees, 0 to 35, kept between pauses.
extern int32_t animationPhase;

void pauseWithAnimation(int milliseconds);

#endif
