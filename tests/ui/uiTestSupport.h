// What the window tests share: the background window of the test process, pictures read
// back from a window's device context, and the process's GDI object count.
#ifndef VELMORANT_UI_TEST_SUPPORT_H
#define VELMORANT_UI_TEST_SUPPORT_H

#include <windows.h>

#include <stdint.h>

#include <vector>

#include "ui/backgroundWindow.h"
#include "ui/pauseAnimation.h"

// The test process's background window, what it paints, and the pause drawn on it.
extern HWND backgroundWindow;
extern BackgroundPicture backgroundPicture;
extern PauseAnimation animation;

// Makes the title font, the class and the background window as the setup program does,
// titled "Install Velmorant", once per process, and lets it paint.
void setUpBackgroundWindow();

// A block of a window's client area, one 0x00RRGGBB value per pixel, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};
// Copies the block at (left, top) of window's client area as it is drawn now.
Picture captureClient(HWND window, int left, int top, int width, int height);
// Renders text with font in white on black, at (0, 0) of a width x height picture.
Picture renderWhiteText(HFONT font, const char *text, int width, int height);

uint32_t rgb(int red, int green, int blue);

// Live GDI objects of this process. Wine's GetGuiResources answers 0 for every process,
// so the count comes from the process's GDI handle table when it does.
int gdiObjectCount();

// Handles the thread's queued messages for about ms milliseconds.
void pumpMessages(int ms);

#endif
