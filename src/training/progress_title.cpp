#include "training/progress_title.h"

#include "training/formatted_text.h"

#include <cinttypes>

Progress_Title::Progress_Title(HWND title_window)
    : window(title_window), now([] { return Clock::now(); }), last(now()) {}

void Progress_Title::Use_Clock(std::function<Clock::time_point()> clock_now) {
    now = std::move(clock_now);
    last = now();
}

void Progress_Title::Training(int32_t connection, int32_t image, int32_t images) {
    ++trained;
    const Clock::time_point at = now();
    if (at - last < interval && image != images) return;
    const double seconds = std::chrono::duration<double>(at - last).count();
    const double rate = seconds > 0 ? static_cast<double>(trained - trained_at_last) / seconds : 0.0;
    Show(Format("layerdream - training connection %d: image %d of %d (%.0f images/s)", connection, image, images,
                rate));
    last = at;
    trained_at_last = trained;
}

void Progress_Title::Dreaming(uint64_t cycle) {
    const Clock::time_point at = now();
    if (at - last < interval && cycle != 1) return;
    Show(Format("layerdream - dreaming: cycle %" PRIu64, cycle));
    last = at;
}

void Progress_Title::Show(const std::string& text) { SetWindowTextA(window, text.c_str()); }
