// PLACEHOLDER: waits without animating until the pause animation is built.
#include "pauseAnimation.h"

#include <windows.h>

int32_t animationPhase;

void pauseWithAnimation(int milliseconds)
{
    for (int t = 0; t < milliseconds; t += 100)
        Sleep(100);
}
