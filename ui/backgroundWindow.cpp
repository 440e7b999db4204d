// The full-screen background: 64 blue bands and the title in white rows, repainted whole on
// every WM_PAINT (the system clips to what needs it).
#include "backgroundWindow.h"

#include <string.h>

#include "core/resourceIds.h"
#include "core/boundedText.h"
#include "core/backgroundGeometry.h"
#include "core/installerSettings.h"
#include "platform/pointerParam.h"

namespace {

void paintBands(HDC dc, int32_t width, int32_t height)
{
    int32_t previousBottom = 0;
    for (int32_t band = 0; band < BACKGROUND_BAND_COUNT; band++) {
        HBRUSH brush = CreateSolidBrush(bandColour(band));
        RECT area;
        area.left = 0;
        area.top = previousBottom;
        area.right = width;
        area.bottom = bandBottom(height, band);
        previousBottom = area.bottom;
        // A brush that could not be made leaves its band unpainted.
        if (brush != NULL) {
            FillRect(dc, &area, brush);
            DeleteObject(brush);
        }
    }
}

void paintTitleRows(HDC dc, const BackgroundPicture &picture, int32_t width, int32_t height)
{
    HGDIOBJ keptFont = SelectObject(dc, picture.font);
    int length = (int)strlen(picture.title);
    SIZE extent;
    if (!GetTextExtentPoint32A(dc, picture.title, length, &extent)) {
        extent.cx = 0;
        extent.cy = 0;
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    int32_t left = titleRowLeft(width, extent.cx);
    for (int32_t top = 0; top >= 0 && top < height; top = nextTitleRowTop(top, extent.cy, height))
        TextOutA(dc, left, top, picture.title, length);
    if (keptFont != NULL)
        SelectObject(dc, keptFont);
}

}  // namespace

HFONT createTitleFont(void)
{
    LOGFONTA font;
    memset(&font, 0, sizeof font);
    font.lfHeight = 48;
    font.lfWeight = FW_BOLD;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_STROKE_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    // 0x22 is VARIABLE_PITCH with FF_SWISS (FF_ROMAN would be 0x12); the face name decides
    // where Times New Roman exists, the family only where it does not.
    font.lfPitchAndFamily = 0x22;
    copyText(font.lfFaceName, sizeof font.lfFaceName, "Times New Roman");
    HFONT made = CreateFontIndirectA(&font);
    if (made == NULL)
        made = (HFONT)GetStockObject(ANSI_VAR_FONT);
    return made;
}

LRESULT CALLBACK backgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The picture arrives with the window's creation and stays in its user data.
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA *creation = paramPointer<const CREATESTRUCTA>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, pointerParam(creation->lpCreateParams));
    }
    const BackgroundPicture *picture =
        paramPointer<const BackgroundPicture>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_PAINT || picture == NULL)
        return DefWindowProcA(window, message, wParam, lParam);
    // The desktop's size, not the client area's: what falls outside the client is clipped.
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    paintBands(dc, desktop.right, desktop.bottom);
    paintTitleRows(dc, *picture, desktop.right, desktop.bottom);
    EndPaint(window, &paint);
    return 0;
}

ATOM registerBackgroundClass(HINSTANCE instance)
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = 0;
    windowClass.lpfnWndProc = backgroundWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    windowClass.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = NULL;
    windowClass.lpszClassName = BACKGROUND_CLASS_NAME;
    return RegisterClassA(&windowClass);
}

HWND createBackgroundWindow(HINSTANCE instance, const char *caption,
                            const BackgroundPicture *picture)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    return CreateWindowExA(0, BACKGROUND_CLASS_NAME, caption, 0x10CF0000, 0, 0, desktop.right,
                           desktop.bottom, NULL, NULL, instance, const_cast<BackgroundPicture *>(picture));
}
