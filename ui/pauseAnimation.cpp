// A blocking pause that turns the word "Working" on a ring in the middle of the background
// window. Frames are composed off-screen (saved background + letters) and shown with one
// BitBlt each; at the end the box gets back exactly what it showed before.
#include "pauseAnimation.h"

#include <windows.h>

#include <string.h>

#include "core/backgroundGeometry.h"

namespace {

const char animatedWord[] = "Working";
const COLORREF letterColour = RGB(255, 216, 216);

// Selects object into dc when both exist; returns what the context held before, or NULL.
HGDIOBJ selectInto(HDC dc, HGDIOBJ object)
{
    if (dc == NULL || object == NULL)
        return NULL;
    return SelectObject(dc, object);
}

void drawFrame(HDC windowDc, HDC savedDc, HDC frameDc, const AnimationBox &box, int32_t phase)
{
    BitBlt(frameDc, 0, 0, box.width, box.height, savedDc, 0, 0, SRCCOPY);
    int32_t letterCount = (int32_t)strlen(animatedWord);
    for (int32_t letter = 0; letter < letterCount; letter++) {
        int32_t x, y;
        animationLetterCentre(&box, letter, letterCount, phase, &x, &y);
        // Measured on the window's context with its default font, not on the frame with
        // the title font: the letters sit slightly off their centres, as they always have.
        SIZE extent;
        if (!GetTextExtentPoint32A(windowDc, animatedWord + letter, 1, &extent)) {
            extent.cx = 0;
            extent.cy = 0;
        }
        SetBkMode(frameDc, TRANSPARENT);
        TextOutA(frameDc, letterOrigin(x, extent.cx), letterOrigin(y, extent.cy),
                 animatedWord + letter, 1);
    }
    BitBlt(windowDc, box.left, box.top, box.width, box.height, frameDc, 0, 0, SRCCOPY);
}

void animatedPauseCall(void *context, int32_t milliseconds)
{
    pauseWithAnimation(static_cast<PauseAnimation *>(context), milliseconds);
}

}  // namespace

PauseRoutine animatedPause(PauseAnimation *animation)
{
    PauseRoutine routine = {animatedPauseCall, animation};
    return routine;
}

void pauseWithAnimation(PauseAnimation *animation, int milliseconds)
{
    HWND window = animation->window;
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    AnimationBox box;
    animationBoxFromDesktop(&box, desktop.left, desktop.top, desktop.right, desktop.bottom);

    // No window: no drawing at all (GetDC(NULL) would draw on the screen), but the pause
    // still lasts as long as asked.
    HDC windowDc = window != NULL ? GetDC(window) : NULL;
    HBITMAP savedBitmap = NULL, frameBitmap = NULL;
    HDC savedDc = NULL, frameDc = NULL;
    if (windowDc != NULL) {
        savedBitmap = CreateCompatibleBitmap(windowDc, box.width, box.height);
        frameBitmap = CreateCompatibleBitmap(windowDc, box.width, box.height);
        savedDc = CreateCompatibleDC(windowDc);
        frameDc = CreateCompatibleDC(windowDc);
    }
    HGDIOBJ keptSavedBitmap = selectInto(savedDc, savedBitmap);
    HGDIOBJ keptFrameBitmap = selectInto(frameDc, frameBitmap);
    // Drawing needs every object; with one missing the pause only waits.
    int drawing = windowDc != NULL && savedDc != NULL && frameDc != NULL &&
                  keptSavedBitmap != NULL && keptFrameBitmap != NULL;

    HGDIOBJ keptFont = NULL;
    if (drawing) {
        BitBlt(savedDc, 0, 0, box.width, box.height, windowDc, box.left, box.top, SRCCOPY);
        keptFont = selectInto(frameDc, animation->font);
        SetTextColor(frameDc, letterColour);
    }

    int32_t frames = animationFrameCount(milliseconds);
    for (int32_t frame = 0; frame < frames; frame++) {
        if (drawing)
            drawFrame(windowDc, savedDc, frameDc, box, animation->phase);
        Sleep(ANIMATION_FRAME_MILLISECONDS);
        animation->phase = nextAnimationPhase(animation->phase);
    }

    if (drawing)
        BitBlt(windowDc, box.left, box.top, box.width, box.height, savedDc, 0, 0, SRCCOPY);
    if (keptFont != NULL)
        SelectObject(frameDc, keptFont);
    if (windowDc != NULL)
        ReleaseDC(window, windowDc);
    if (keptSavedBitmap != NULL)
        SelectObject(savedDc, keptSavedBitmap);
    if (keptFrameBitmap != NULL)
        SelectObject(frameDc, keptFrameBitmap);
    if (savedDc != NULL)
        DeleteDC(savedDc);
    if (frameDc != NULL)
        DeleteDC(frameDc);
    if (savedBitmap != NULL)
        DeleteObject(savedBitmap);
    if (frameBitmap != NULL)
        DeleteObject(frameBitmap);
}
