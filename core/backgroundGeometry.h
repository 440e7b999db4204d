// The arithmetic of the background window's picture and of the pause animation, kept apart
// from the drawing calls so that it builds and is tested without windows.h.
#ifndef VELMORANT_BACKGROUND_GEOMETRY_H
#define VELMORANT_BACKGROUND_GEOMETRY_H

#include <stdint.h>

#define BACKGROUND_BAND_COUNT 64

// Band i (0 to 63) ends at row height * i / 64; band 0 is empty and the last band stops at
// 63/64 of the height. Computed in 64 bits so that no height overflows the product.
int32_t bandBottom(int32_t height, int32_t band);
// Band i's colour as a COLORREF value (0x00BBGGRR): red and green 2i, blue 127 + 2i.
uint32_t bandColour(int32_t band);

// Left edge of a title row of textWidth pixels centred on a width of width pixels.
int32_t titleRowLeft(int32_t width, int32_t textWidth);
// Top of the title row after the one at top, or -1 when no further row starts above
// height. A row height of 0 or less (a failed measurement) ends the rows after the first.
int32_t nextTitleRowTop(int32_t top, int32_t rowHeight, int32_t height);

// The pause animation's box: the middle half of the desktop, inclusive edges.
struct AnimationBox {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    int32_t width;   // right - left + 1
    int32_t height;  // bottom - top + 1
};
void animationBoxFromDesktop(AnimationBox *box, int32_t desktopLeft, int32_t desktopTop,
                             int32_t desktopRight, int32_t desktopBottom);

#define ANIMATION_STEPS 36
#define ANIMATION_FRAME_MILLISECONDS 100

// The centre of letter number letter (of letterCount) on the ring at rotation phase, in
// box coordinates.
void animationLetterCentre(const AnimationBox *box, int32_t letter, int32_t letterCount,
                           int32_t phase, int32_t *x, int32_t *y);
// Where a letter of the measured size starts so that its centre lands on centre.
int32_t letterOrigin(int32_t centre, int32_t size);
// Frames a pause of milliseconds draws: one per started 100 ms, none for 0 or less.
int32_t animationFrameCount(int32_t milliseconds);
int32_t nextAnimationPhase(int32_t phase);

#endif
