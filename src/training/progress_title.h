// What the worker is doing, in the window's title: which connection it
// trains and on which image, at what rate, or how many dreams it has shown.
// Shown a few times a second at most, and at the last image of each
// connection, since without redrawing nothing else shows it for minutes. One worker's; not shared between threads.
#pragma once

#include "platform.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class Progress_Title {
public:
    using Clock = std::chrono::steady_clock;

    explicit Progress_Title(HWND title_window);

    // Image image (from 1) of images of connection's training is done.
    void Training(int32_t connection, int32_t image, int32_t images);
    // Dreaming cycle cycle (from 1) is done.
    void Dreaming(uint64_t cycle);
    // Shows the text now.
    void Show(const std::string& text);

    // For tests: a clock of their own.
    void Use_Clock(std::function<Clock::time_point()> clock_now);

private:
    static constexpr auto interval = std::chrono::milliseconds(250);
    HWND window;
    std::function<Clock::time_point()> now;
    Clock::time_point last;  // when the title last changed
    uint64_t trained = 0;
    uint64_t trained_at_last = 0;
};
