// The pause drawn on the test process's background window: its timing, its phase, the
// letters seen from a second thread while it runs, and what it leaves behind.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ui/backgroundWindow.h"
#include "ui/pauseAnimation.h"
#include "uiTestSupport.h"

namespace {

class Pause : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUpBackgroundWindow();
        InvalidateRect(backgroundWindow, NULL, FALSE);
        UpdateWindow(backgroundWindow);
    }
};

// Runs a pause and returns how long it took in milliseconds.
int timedPause(int milliseconds)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    pauseWithAnimation(&animation, milliseconds);
    QueryPerformanceCounter(&end);
    return int((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
}

const uint32_t pink = 0xFFD8D8;  // RGB(255, 216, 216)

}  // namespace

TEST_F(Pause, PhaseCarriesOverBetweenCalls)
{
    animation.phase = 0;
    int first = timedPause(1000);
    EXPECT_EQ(animation.phase, 10);
    int second = timedPause(1000);
    EXPECT_EQ(animation.phase, 20);
    EXPECT_GE(first, 990);
    EXPECT_GE(second, 990);
    EXPECT_LT(first, 1600);
    EXPECT_LT(second, 1600);
    animation.phase = 30;
    pauseWithAnimation(&animation, 1000);
    EXPECT_EQ(animation.phase, 4) << "the phase wraps at 36";
}

TEST_F(Pause, FramesPerDuration)
{
    struct Case {
        int milliseconds, frames;
    } cases[] = {{150, 2}, {100, 1}, {1, 1}, {0, 0}, {-1, 0}, {-100000, 0},
                 {-2147483647 - 1, 0}};
    for (const Case &c : cases) {
        animation.phase = 3;
        int took = timedPause(c.milliseconds);
        EXPECT_EQ(animation.phase, 3 + c.frames) << c.milliseconds << " ms";
        // One 100 ms sleep per frame, and none without frames.
        EXPECT_GE(took, c.frames * 100 - 10) << c.milliseconds << " ms";
        EXPECT_LT(took, c.frames * 100 + 400) << c.milliseconds << " ms";
    }
}

TEST_F(Pause, PinkLettersInTheBoxWhileItRuns)
{
    RECT client;
    GetClientRect(backgroundWindow, &client);
    Picture before = captureClient(backgroundWindow, 0, 0, client.right, client.bottom);
    Picture during;
    std::thread watcher([&] {
        Sleep(450);
        during = captureClient(backgroundWindow, 0, 0, client.right, client.bottom);
    });
    pauseWithAnimation(&animation, 1000);
    watcher.join();
    Picture after = captureClient(backgroundWindow, 0, 0, client.right, client.bottom);

    ASSERT_EQ(during.pixels.size(), before.pixels.size());
    int pinkInside = 0, changedOutside = 0;
    int minX = 100000, maxX = -1, minY = 100000, maxY = -1;
    for (int y = 0; y < during.height; y++) {
        for (int x = 0; x < during.width; x++) {
            bool inBox = x >= 256 && x <= 768 && y >= 192 && y <= 576;
            if (!inBox) {
                changedOutside += during.at(x, y) != before.at(x, y);
                continue;
            }
            if (during.at(x, y) == pink) {
                pinkInside++;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
        }
    }
    EXPECT_GT(pinkInside, 100) << "no letters in the box";
    EXPECT_EQ(changedOutside, 0) << "the pause drew outside its box";
    // The ring: 192 pixels either side of x 512, 144 above and below y 384 (letters around
    // those points reach a little further).
    EXPECT_GT(minX, 256);
    EXPECT_LT(maxX, 768);
    EXPECT_GT(maxX - minX, 250) << "letters not spread round the ring";
    EXPECT_GT(maxY - minY, 150) << "letters not spread round the ring";
    EXPECT_TRUE(after.pixels == before.pixels) << "the box does not show its old look again";
}

TEST_F(Pause, LeavesGdiObjectCountUnchanged)
{
    pauseWithAnimation(&animation, 100);  // the first use may set up the window's cached contexts
    int before = gdiObjectCount();
    ASSERT_GT(before, 0);
    pauseWithAnimation(&animation, 300);
    pauseWithAnimation(&animation, 0);
    EXPECT_EQ(gdiObjectCount(), before);
}

TEST_F(Pause, WithoutAWindowItOnlyWaits)
{
    animation.window = NULL;
    int before = gdiObjectCount();
    animation.phase = 0;
    int took = timedPause(150);
    animation.window = backgroundWindow;
    EXPECT_EQ(animation.phase, 2);
    EXPECT_GE(took, 190);
    EXPECT_EQ(gdiObjectCount(), before);
}
