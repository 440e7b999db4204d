// The background's and the animation's arithmetic, with the numbers worked out by hand.
#include <gtest/gtest.h>

#include <stdint.h>

#include <vector>

#include "core/backgroundGeometry.h"

TEST(BackgroundBands, BottomsOnA768RowDesktop)
{
    struct Case {
        int32_t band, bottom;
    } cases[] = {{0, 0}, {1, 12}, {2, 24}, {32, 384}, {62, 744}, {63, 756}};
    for (const Case &c : cases)
        EXPECT_EQ(bandBottom(768, c.band), c.bottom) << "band " << c.band;
}

TEST(BackgroundBands, BottomsTruncateWhenTheHeightIsNoMultipleOf64)
{
    // 600 rows: 600 * i / 64 truncated, so neighbouring bands differ by a row.
    struct Case {
        int32_t band, bottom;
    } cases[] = {{1, 9}, {2, 18}, {3, 28}, {4, 37}, {63, 590}};
    for (const Case &c : cases)
        EXPECT_EQ(bandBottom(600, c.band), c.bottom) << "band " << c.band;
    // A height whose product with 63 passes 32 bits still gives its 63/64.
    EXPECT_EQ(bandBottom(2000000000, 63), 1968750000);
}

TEST(BackgroundBands, Colours)
{
    EXPECT_EQ(bandColour(0), 0x7F0000u);   // RGB(0, 0, 127)
    EXPECT_EQ(bandColour(1), 0x810202u);   // RGB(2, 2, 129)
    EXPECT_EQ(bandColour(32), 0xBF4040u);  // RGB(64, 64, 191)
    EXPECT_EQ(bandColour(63), 0xFD7E7Eu);  // RGB(126, 126, 253)
}

TEST(TitleRows, LeftEdgeHalvesTruncateSeparately)
{
    EXPECT_EQ(titleRowLeft(1024, 400), 312);
    EXPECT_EQ(titleRowLeft(1024, 401), 312);
    EXPECT_EQ(titleRowLeft(1023, 401), 311);
    EXPECT_EQ(titleRowLeft(300, 401), -50);
}

// The rows the painting loop visits for a measured height.
std::vector<int32_t> rowTops(int32_t rowHeight, int32_t height)
{
    std::vector<int32_t> tops;
    for (int32_t top = 0; top >= 0 && top < height; top = nextTitleRowTop(top, rowHeight, height)) {
        tops.push_back(top);
        if (tops.size() > 100000)
            break;  // the loop under test would not have ended
    }
    return tops;
}

TEST(TitleRows, RowsTouchFromTheTopPastTheBottom)
{
    EXPECT_EQ(rowTops(55, 768), (std::vector<int32_t>{0, 55, 110, 165, 220, 275, 330, 385, 440,
                                                      495, 550, 605, 660, 715}));
    EXPECT_EQ(rowTops(256, 768), (std::vector<int32_t>{0, 256, 512}));
    EXPECT_EQ(rowTops(800, 768), (std::vector<int32_t>{0}));
}

TEST(TitleRows, FailedOrEmptyMeasurementEndsAfterOneRow)
{
    EXPECT_EQ(rowTops(0, 768), (std::vector<int32_t>{0}));
    EXPECT_EQ(rowTops(-16, 768), (std::vector<int32_t>{0}));
    EXPECT_EQ(rowTops(16, 0), (std::vector<int32_t>{}));
    // Near the largest height the next top would overflow: the rows end instead.
    EXPECT_EQ(nextTitleRowTop(2147483600, 100, 2147483647), -1);
    EXPECT_EQ(nextTitleRowTop(2147483500, 100, 2147483647), 2147483600);
}

TEST(AnimationBox, MiddleHalfOfTheDesktop)
{
    struct Case {
        int32_t right, bottom;
        AnimationBox expected;
    } cases[] = {
        {1024, 768, {256, 192, 768, 576, 513, 385}},
        {800, 600, {200, 150, 600, 450, 401, 301}},
        {1023, 767, {255, 191, 768, 576, 514, 386}},
    };
    for (const Case &c : cases) {
        AnimationBox box;
        animationBoxFromDesktop(&box, 0, 0, c.right, c.bottom);
        EXPECT_EQ(box.left, c.expected.left) << c.right;
        EXPECT_EQ(box.top, c.expected.top) << c.bottom;
        EXPECT_EQ(box.right, c.expected.right) << c.right;
        EXPECT_EQ(box.bottom, c.expected.bottom) << c.bottom;
        EXPECT_EQ(box.width, c.expected.width) << c.right;
        EXPECT_EQ(box.height, c.expected.height) << c.bottom;
    }
}

TEST(AnimationLetters, CentresOnTheRingFor1024x768)
{
    AnimationBox box;
    animationBoxFromDesktop(&box, 0, 0, 1024, 768);
    struct Case {
        int32_t letter, phase, x, y;
    } cases[] = {
        {0, 0, 448, 192},   // "W" at the right end of the horizontal axis
        {1, 0, 375, 304},   // "o", one seventh of a turn clockwise (downward)
        {3, 0, 84, 254},    // -172.97 truncates toward zero, to -172
        {6, 0, 375, 80},
        {0, 9, 256, 336},   // a quarter turn: the bottom of the ring
        {0, 18, 64, 192},
        {0, 27, 256, 48},
        {2, 10, 80, 137},
        {6, 35, 347, 66},
    };
    for (const Case &c : cases) {
        int32_t x = -1, y = -1;
        animationLetterCentre(&box, c.letter, 7, c.phase, &x, &y);
        EXPECT_EQ(x, c.x) << "letter " << c.letter << " phase " << c.phase;
        EXPECT_EQ(y, c.y) << "letter " << c.letter << " phase " << c.phase;
    }
    EXPECT_EQ(letterOrigin(448, 15), 441);
    EXPECT_EQ(letterOrigin(192, 16), 184);
}

TEST(AnimationFrames, OnePerStarted100Milliseconds)
{
    struct Case {
        int32_t milliseconds, frames;
    } cases[] = {{6000, 60}, {1000, 10}, {2000, 20}, {8000, 80}, {150, 2}, {100, 1},
                 {101, 2},   {1, 1},     {0, 0},     {-1, 0},    {-100000, 0},
                 {2147483647, 21474837}};
    for (const Case &c : cases)
        EXPECT_EQ(animationFrameCount(c.milliseconds), c.frames) << c.milliseconds;
}

TEST(AnimationFrames, PhaseTurnsOnceIn36Steps)
{
    int32_t phase = 0;
    for (int i = 0; i < 10; i++)
        phase = nextAnimationPhase(phase);
    EXPECT_EQ(phase, 10);
    for (int i = 0; i < 26; i++)
        phase = nextAnimationPhase(phase);
    EXPECT_EQ(phase, 0);
    phase = 5;
    for (int i = 0; i < 60; i++)
        phase = nextAnimationPhase(phase);
    EXPECT_EQ(phase, 29);  // 60 frames: 24 steps further
}
