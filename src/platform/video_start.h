// Opening the display: the one place that chooses SDL's video driver.
#pragma once

#include <optional>
#include <string>

namespace windowing {

// Starts SDL's video on a desktop display. SDL would fall back by itself to
// its offscreen driver when no display can be opened, and the program would
// then run with no window and no word; here a headless driver is used only
// when SDL_VIDEODRIVER asks for one by name. Nothing if video runs (or ran
// already); otherwise why no display could be opened, in one line.
// Called by the thread that owns the windows, when it starts.
std::optional<std::string> Start_Video();

}  // namespace windowing
