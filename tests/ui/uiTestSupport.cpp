#include "uiTestSupport.h"

#include <winternl.h>

#include <string.h>

#include <gtest/gtest.h>

#include "core/boundedText.h"
#include "ui/backgroundWindow.h"

HWND backgroundWindow;
BackgroundPicture backgroundPicture;
PauseAnimation animation;

void setUpBackgroundWindow()
{
    if (backgroundWindow != NULL)
        return;
    HINSTANCE instance = GetModuleHandleA(NULL);
    backgroundPicture.title = "Install Velmorant";
    backgroundPicture.font = createTitleFont();
    ASSERT_NE(registerBackgroundClass(instance), 0);
    backgroundWindow = createBackgroundWindow(instance, "Install Velmorant", &backgroundPicture);
    ASSERT_NE(backgroundWindow, (HWND)NULL);
    animation.window = backgroundWindow;
    animation.font = backgroundPicture.font;
    UpdateWindow(backgroundWindow);
    pumpMessages(100);
}

namespace {

// A 32-bit top-down DIB section selected into a memory context.
struct DibCanvas {
    HDC dc = NULL;
    HBITMAP bitmap = NULL;
    HGDIOBJ kept = NULL;
    uint32_t *bits = nullptr;

    DibCanvas(int width, int height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *memory = nullptr;
        dc = CreateCompatibleDC(NULL);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, NULL, 0);
        bits = static_cast<uint32_t *>(memory);
        kept = SelectObject(dc, bitmap);
    }
    ~DibCanvas()
    {
        SelectObject(dc, kept);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Picture picture(int width, int height) const
    {
        GdiFlush();
        Picture result;
        result.width = width;
        result.height = height;
        result.pixels.assign(bits, bits + size_t(width) * height);
        for (uint32_t &pixel : result.pixels)
            pixel &= 0xFFFFFF;
        return result;
    }
};

}  // namespace

Picture captureClient(HWND window, int left, int top, int width, int height)
{
    DibCanvas canvas(width, height);
    HDC windowDc = GetDC(window);
    BitBlt(canvas.dc, 0, 0, width, height, windowDc, left, top, SRCCOPY);
    ReleaseDC(window, windowDc);
    return canvas.picture(width, height);
}

Picture renderWhiteText(HFONT font, const char *text, int width, int height)
{
    DibCanvas canvas(width, height);
    RECT all = {0, 0, width, height};
    FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HGDIOBJ keptFont = SelectObject(canvas.dc, font);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(255, 255, 255));
    TextOutA(canvas.dc, 0, 0, text, int(strlen(text)));
    SelectObject(canvas.dc, keptFont);
    return canvas.picture(width, height);
}

uint32_t rgb(int red, int green, int blue)
{
    return uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

int gdiObjectCount()
{
    DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return int(counted);
    // Wine keeps the process's GDI handles in a table that the PEB points to: 65536 entries
    // of 24 bytes (on 64-bit), an entry in use having a non-zero type at offset 14.
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic,
                                  sizeof basic, NULL) != 0)
        return -1;
    const unsigned char *peb = reinterpret_cast<const unsigned char *>(basic.PebBaseAddress);
    const unsigned char *table = nullptr;
    memcpy(&table, peb + (sizeof(void *) == 8 ? 0xF8 : 0x94), sizeof table);
    if (table == nullptr)
        return -1;
    int inUse = 0;
    for (int i = 0; i < 0x10000; i++)
        if (table[size_t(i) * 24 + 14] != 0)
            inUse++;
    return inUse;
}

void pumpMessages(int ms)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (int(GetTickCount() - start) < ms);
}
