// When the worker waits for the window: counted, not timed. The pace runs
// on a clock of the test's own, either standing still (a worker far faster
// than the display) or moving a whole refresh at every reading (a worker
// far slower); the window is on the test's thread, so a wait is one paint.
#include "screen/repaint_pace.h"

#include "support/counting_window.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Clock = Repaint_Pace::Clock;

class Screen_Repaint_Pace : public testing::Test {
protected:
    // Time stands still but for what the pace itself sleeps.
    void Stand_Still() {
        pace.Use_Clock([this] { return now; },
                       [this](Clock::duration time) {
                           slept += time;
                           now += time;
                       });
    }
    // Every reading finds a refresh gone by.
    void Race_Ahead() {
        pace.Use_Clock(
            [this] {
                now += pace.Refresh();
                return now;
            },
            [this](Clock::duration time) {
                slept += time;
                now += time;
            });
    }
    int Paints_When_Free() {
        const int before = window.Paints();
        Pump_Waiting_Messages();
        return window.Paints() - before;
    }

    Counting_Window window;
    Repaint_Pace pace{window.Handle()};
    Clock::time_point now{};
    Clock::duration slept{};
};

TEST_F(Screen_Repaint_Pace, ShownWaitsForAPaintEveryTime) {
    Stand_Still();
    for (int k = 1; k <= 3; ++k) {
        pace.Shown();
        EXPECT_EQ(pace.Waits(), static_cast<uint64_t>(k));
        EXPECT_EQ(window.Paints(), k);
    }
    EXPECT_EQ(Paints_When_Free(), 0);
}

// A fast worker waits for the first step's paint and then not within the
// refresh; its later steps invalidate the window, which paints them all at
// once when it is free. A slow one waits after every step.
TEST_F(Screen_Repaint_Pace, TrainingStepsInvalidateTheWindowAndWaitAtMostOncePerRefresh) {
    Stand_Still();
    for (int step = 0; step < 10; ++step) pace.Training_Step_Shown();
    EXPECT_EQ(pace.Waits(), 1u);
    EXPECT_EQ(window.Paints(), 1);
    EXPECT_EQ(Paints_When_Free(), 1);

    Race_Ahead();
    for (int step = 0; step < 10; ++step) pace.Training_Step_Shown();
    EXPECT_EQ(pace.Waits(), 11u);
    EXPECT_EQ(window.Paints(), 12);
    EXPECT_EQ(slept, Clock::duration::zero());
}

// Every dreaming cycle is painted before the worker goes on, and the next
// one no sooner than a refresh after that paint began: a fast worker sleeps
// for the rest of the refresh before each later cycle, a slow one not at all.
TEST_F(Screen_Repaint_Pace, EveryDreamingCycleIsWaitedForARefreshAfterTheLast) {
    Stand_Still();
    for (int cycle = 1; cycle <= 4; ++cycle) {
        pace.Wait_Until_Dream_Due();
        pace.Dream_Cycle_Shown();
        EXPECT_EQ(window.Paints(), cycle);
    }
    EXPECT_EQ(pace.Waits(), 4u);
    EXPECT_EQ(slept, 3 * pace.Refresh());
    EXPECT_EQ(Paints_When_Free(), 0);

    Race_Ahead();
    slept = Clock::duration::zero();
    for (int cycle = 0; cycle < 4; ++cycle) {
        pace.Wait_Until_Dream_Due();
        pace.Dream_Cycle_Shown();
    }
    EXPECT_EQ(pace.Waits(), 8u);
    EXPECT_EQ(window.Paints(), 8);
    EXPECT_EQ(slept, Clock::duration::zero());
}

}  // namespace
