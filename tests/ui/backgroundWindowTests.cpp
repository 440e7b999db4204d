// The background window as the setup program makes it, painted and read back from its
// client area (client coordinates: the frame and caption offset plays no part).
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include "ui/backgroundWindow.h"
#include "uiTestSupport.h"

namespace {

class BackgroundWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUpBackgroundWindow();
        RECT desktop;
        GetWindowRect(GetDesktopWindow(), &desktop);
        ASSERT_EQ(desktop.right, 1024) << "the tests expect a 1024 x 768 screen";
        ASSERT_EQ(desktop.bottom, 768) << "the tests expect a 1024 x 768 screen";
        RECT client;
        GetClientRect(backgroundWindow, &client);
        clientWidth = client.right;
        clientHeight = client.bottom;
        ASSERT_GT(clientHeight, 700) << "the caption and frame take unexpectedly much room";
    }
    void repaint()
    {
        InvalidateRect(backgroundWindow, NULL, FALSE);
        UpdateWindow(backgroundWindow);
    }
    int clientWidth = 0;
    int clientHeight = 0;
};

// Where the white pixels of a picture are.
std::vector<bool> whiteMask(const Picture &picture)
{
    std::vector<bool> mask;
    for (uint32_t pixel : picture.pixels)
        mask.push_back(pixel == 0xFFFFFF);
    return mask;
}

}  // namespace

TEST_F(BackgroundWindow, ClassWindowAndFont)
{
    WNDCLASSA windowClass = {};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(NULL), "install", &windowClass));
    EXPECT_EQ(windowClass.style, 0u);
    EXPECT_EQ(windowClass.lpfnWndProc, backgroundWindowProc);
    EXPECT_EQ(windowClass.hbrBackground, (HBRUSH)NULL);
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(NULL, MAKEINTRESOURCEA(32512)));
    EXPECT_NE(windowClass.hIcon, (HICON)NULL);
    EXPECT_EQ(windowClass.cbClsExtra, 0);
    EXPECT_EQ(windowClass.cbWndExtra, 0);

    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(GetWindowLongA(backgroundWindow, GWL_STYLE) & ~WS_CLIPSIBLINGS, 0x10CF0000);
    EXPECT_EQ(GetWindowLongA(backgroundWindow, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    RECT frame;
    GetWindowRect(backgroundWindow, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.right, 1024);
    EXPECT_EQ(frame.bottom, 768);
    char caption[64] = "";
    GetWindowTextA(backgroundWindow, caption, sizeof caption);
    EXPECT_STREQ(caption, "Install Velmorant");

    LOGFONTA font = {};
    ASSERT_EQ(GetObjectA(backgroundPicture.font, sizeof font, &font), int(sizeof font));
    EXPECT_EQ(font.lfHeight, 48);
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfEscapement, 0);
    EXPECT_EQ(font.lfOrientation, 0);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfStrikeOut, 0);
    EXPECT_EQ(font.lfCharSet, 0);
    EXPECT_EQ(font.lfOutPrecision, 3);
    EXPECT_EQ(font.lfClipPrecision, 2);
    EXPECT_EQ(font.lfQuality, 1);
    EXPECT_EQ(font.lfPitchAndFamily, 0x22);
    EXPECT_STREQ(font.lfFaceName, "Times New Roman");
}

TEST_F(BackgroundWindow, BandColoursAtKnownRows)
{
    repaint();
    // Column 2 is left of every title row. Band i covers rows 12(i-1) to 12i - 1 and has
    // the colour RGB(2i, 2i, 127 + 2i).
    struct Case {
        int row;
        uint32_t colour;
    } cases[] = {
        {0, rgb(2, 2, 129)},       {11, rgb(2, 2, 129)},      {12, rgb(4, 4, 131)},
        {100, rgb(18, 18, 145)},   {371, rgb(62, 62, 189)},   {372, rgb(64, 64, 191)},
        {600, rgb(102, 102, 229)}, {695, rgb(116, 116, 243)}, {696, rgb(118, 118, 245)},
    };
    Picture column = captureClient(backgroundWindow, 2, 0, 1, clientHeight);
    for (const Case &c : cases) {
        ASSERT_LT(c.row, clientHeight);
        EXPECT_EQ(column.at(0, c.row), c.colour) << "row " << c.row;
    }
    // The right edge has the same bands.
    Picture right = captureClient(backgroundWindow, clientWidth - 1, 0, 1, clientHeight);
    for (const Case &c : cases)
        EXPECT_EQ(right.at(0, c.row), c.colour) << "row " << c.row << " at the right edge";
}

// Every title row shows the same white letters as the title drawn alone, starting at
// x = 512 - cx / 2 and cy rows below the previous row, the first at the top.
void expectTitleRows(HWND window, HFONT font, int clientHeight)
{
    HDC dc = GetDC(window);
    HGDIOBJ kept = SelectObject(dc, font);
    SIZE extent = {};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Install Velmorant", 17, &extent));
    SelectObject(dc, kept);
    ReleaseDC(window, dc);
    ASSERT_GT(extent.cy, 0);
    int left = 512 - extent.cx / 2;

    std::vector<bool> alone = whiteMask(renderWhiteText(font, "Install Velmorant", extent.cx,
                                                        extent.cy));
    int whiteCount = 0;
    for (bool white : alone)
        whiteCount += white;
    ASSERT_GT(whiteCount, 20) << "the title has no white pixels of its own";

    int rows = 0;
    for (int top = 0; top + extent.cy <= clientHeight; top += extent.cy, rows++) {
        Picture row = captureClient(window, left, top, extent.cx, extent.cy);
        EXPECT_TRUE(whiteMask(row) == alone) << "title row at y " << top;
        // Nothing white left or right of the text.
        Picture outside = captureClient(window, 0, top, left, extent.cy);
        EXPECT_EQ(std::count(outside.pixels.begin(), outside.pixels.end(), 0xFFFFFFu), 0)
            << "white left of the row at y " << top;
    }
    EXPECT_GE(rows, clientHeight / extent.cy);
}

TEST_F(BackgroundWindow, TitleRowsOneTextHeightApart)
{
    repaint();
    expectTitleRows(backgroundWindow, backgroundPicture.font, clientHeight);
}

TEST_F(BackgroundWindow, StockFontGivesSmallerRows)
{
    HFONT made = backgroundPicture.font;
    backgroundPicture.font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    repaint();
    expectTitleRows(backgroundWindow, backgroundPicture.font, clientHeight);
    backgroundPicture.font = made;
    repaint();
}

TEST_F(BackgroundWindow, UncoveredAreaIsRestoredExactly)
{
    repaint();
    Picture before = captureClient(backgroundWindow, 200, 150, 400, 300);
    // A window over part of the background, then gone: only that part is painted again.
    HWND cover = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 250, 200, 300, 200,
                                 backgroundWindow, NULL, NULL, NULL);
    pumpMessages(100);
    DestroyWindow(cover);
    pumpMessages(100);
    Picture after = captureClient(backgroundWindow, 200, 150, 400, 300);
    EXPECT_TRUE(after.pixels == before.pixels);
}

TEST_F(BackgroundWindow, PaintLeavesGdiObjectCountUnchanged)
{
    repaint();
    int before = gdiObjectCount();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 5; i++)
        repaint();
    EXPECT_EQ(gdiObjectCount(), before);
}
