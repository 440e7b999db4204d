#include "backgroundGeometry.h"

#include <math.h>

namespace {

// The program's full turn, a little less than two pi; the ring's positions use it as is.
const double fullTurn = 6.283185306;

}  // namespace

int32_t bandBottom(int32_t height, int32_t band)
{
    return (int32_t)((int64_t)height * band / BACKGROUND_BAND_COUNT);
}

uint32_t bandColour(int32_t band)
{
    uint32_t level = (uint32_t)(2 * band);
    return level | level << 8 | (127 + level) << 16;
}

int32_t titleRowLeft(int32_t width, int32_t textWidth)
{
    return width / 2 - textWidth / 2;
}

int32_t nextTitleRowTop(int32_t top, int32_t rowHeight, int32_t height)
{
    // Compared as a distance, so that a row near the largest height cannot overflow.
    if (rowHeight <= 0 || top >= height || rowHeight >= height - top)
        return -1;
    return top + rowHeight;
}

void animationBoxFromDesktop(AnimationBox *box, int32_t desktopLeft, int32_t desktopTop,
                             int32_t desktopRight, int32_t desktopBottom)
{
    int32_t marginX = (desktopRight - desktopLeft) / 4;
    int32_t marginY = (desktopBottom - desktopTop) / 4;
    box->left = marginX;
    box->right = desktopRight - marginX;
    box->top = marginY;
    box->bottom = desktopBottom - marginY;
    box->width = box->right - box->left + 1;
    box->height = box->bottom - box->top + 1;
}

void animationLetterCentre(const AnimationBox *box, int32_t letter, int32_t letterCount,
                           int32_t phase, int32_t *x, int32_t *y)
{
    double angle = letter * fullTurn / letterCount + phase * fullTurn / 36.0;
    int32_t spanX = box->right - box->left;
    int32_t spanY = box->bottom - box->top;
    *x = spanX / 2 + (int32_t)(cos(angle) * spanX * 3.0 / 8.0);
    *y = spanY / 2 + (int32_t)(sin(angle) * spanY * 3.0 / 8.0);
}

int32_t letterOrigin(int32_t centre, int32_t size)
{
    return centre - size / 2;
}

int32_t animationFrameCount(int32_t milliseconds)
{
    // Counted rather than stepping a clock by 100, which would overflow near INT32_MAX.
    if (milliseconds <= 0)
        return 0;
    return (milliseconds - 1) / ANIMATION_FRAME_MILLISECONDS + 1;
}

int32_t nextAnimationPhase(int32_t phase)
{
    return (phase + 1) % ANIMATION_STEPS;
}
