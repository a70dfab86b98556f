#include "screen/repaint_pace.h"

#include <thread>

Repaint_Pace::Clock::duration Display_Refresh_Interval() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    // 0 and 1 stand for the hardware's default rate, which is not known.
    const int hertz = display != nullptr ? GetDeviceCaps(display, VREFRESH) : 0;
    if (display != nullptr) DeleteDC(display);
    const int rate = hertz >= 24 && hertz <= 1000 ? hertz : 60;
    return std::chrono::duration_cast<Repaint_Pace::Clock::duration>(std::chrono::nanoseconds(1'000'000'000 / rate));
}

Repaint_Pace::Repaint_Pace(HWND paced_window)
    : window(paced_window),
      refresh(Display_Refresh_Interval()),
      now([] { return Clock::now(); }),
      sleep([](Clock::duration time) { std::this_thread::sleep_for(time); }) {}

void Repaint_Pace::Use_Clock(std::function<Clock::time_point()> clock_now,
                             std::function<void(Clock::duration)> clock_sleep) {
    now = std::move(clock_now);
    sleep = std::move(clock_sleep);
    wait_began = wait_ended = Clock::time_point{};
}

void Repaint_Pace::Invalidate() {
    // No window, nothing to repaint: to the system a null window would mean
    // every window on the desktop.
    if (window != nullptr) InvalidateRect(window, nullptr, TRUE);
}

void Repaint_Pace::Wait_For_Paint() {
    wait_began = now();
    if (window != nullptr) UpdateWindow(window);
    ++waits;
    wait_ended = now();
}

void Repaint_Pace::Shown() {
    Invalidate();
    Wait_For_Paint();
}

void Repaint_Pace::Training_Step_Shown() {
    Invalidate();
    // A refresh of work between waits, however long a paint takes.
    if (waits == 0 || now() - wait_ended >= refresh) Wait_For_Paint();
}

void Repaint_Pace::Wait_Until_Dream_Due() {
    // A refresh from one cycle's paint to the next, the paint included:
    // until then the last dream stays shown.
    if (waits == 0) return;
    const Clock::duration since = now() - wait_began;
    if (since < refresh) sleep(refresh - since);
}

void Repaint_Pace::Dream_Cycle_Shown() {
    Invalidate();
    Wait_For_Paint();
}
