// When the worker waits for the window's thread to show the pictures it
// has painted.
//
// Waiting costs the worker a round trip to the window's thread and that
// thread a paint of the whole window, while the screen takes at most one
// picture per display refresh. So the pictures are handed over the same
// way on every system: the worker invalidates the window, which the
// window's thread paints, all changes since its last paint at once,
// whenever it is free; and the worker itself waits for a paint
// (UpdateWindow) only as often as the screen can show one:
//
//   - once the network is built and shown: every time;
//   - while it trains with redrawing: at most once per refresh, so the
//     newest pictures are on the screen within one refresh;
//   - while it dreams: after every cycle; and it shows the next cycle no
//     sooner than a refresh after that, so every dream is seen and none is
//     computed that never could be.
//
// One worker's; not shared between threads.
#pragma once

#include "platform.h"

#include <chrono>
#include <cstdint>
#include <functional>

class Repaint_Pace {
public:
    using Clock = std::chrono::steady_clock;

    explicit Repaint_Pace(HWND window);

    // Pictures shown that must be on the screen before the worker goes on.
    void Shown();
    // A training step's pictures shown.
    void Training_Step_Shown();
    // Before a dreaming cycle's pictures are painted: lets the rest of a
    // refresh pass since the last cycle's paint began.
    void Wait_Until_Dream_Due();
    // A dreaming cycle's pictures shown.
    void Dream_Cycle_Shown();

    // How many times the worker has waited for the window's thread.
    uint64_t Waits() const { return waits; }
    // One refresh of the display, as the system tells it.
    Clock::duration Refresh() const { return refresh; }

    // For tests: a clock and a way to let time pass of their own.
    void Use_Clock(std::function<Clock::time_point()> clock_now, std::function<void(Clock::duration)> clock_sleep);

private:
    void Invalidate();
    void Wait_For_Paint();

    HWND window;
    Clock::duration refresh;
    Clock::time_point wait_began{};  // when the worker last began waiting for a paint
    Clock::time_point wait_ended{};  // and when that paint was done
    uint64_t waits = 0;
    std::function<Clock::time_point()> now;
    std::function<void(Clock::duration)> sleep;
};

// The display's refresh interval as the system tells it (GetDeviceCaps'
// VREFRESH); that of 60 Hz where it does not say or says something absurd.
Repaint_Pace::Clock::duration Display_Refresh_Interval();
