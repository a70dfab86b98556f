#include "video_start.h"

#include "windowing.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace windowing {

namespace {

// The desktop drivers, each with the variable that names its display. A
// driver whose variable is unset has nothing to connect to and is not tried
// (trying Wayland then only makes its library complain on stderr).
struct Desktop_Driver {
    const char* name;
    const char* display_variable;
};
constexpr Desktop_Driver desktop_drivers[] = {{"x11", "DISPLAY"}, {"wayland", "WAYLAND_DISPLAY"}};

const Desktop_Driver* Desktop(const char* driver) {
    for (const Desktop_Driver& candidate : desktop_drivers)
        if (std::strcmp(candidate.name, driver) == 0) return &candidate;
    return nullptr;
}

void Add_Reason(std::string& reasons, const std::string& reason) {
    if (!reasons.empty()) reasons += "; ";
    reasons += reason;
}

}  // namespace

std::optional<std::string> Start_Video() {
    WINDOW_THREAD_ONLY();
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return std::nullopt;
    // The window's picture is copied to the screen as it is: SDL's own
    // framebuffer (shared memory under X11) does that directly, where a
    // renderer would push it through software OpenGL at several times the cost.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(0) != 0) return std::string("no display could be opened: ") + SDL_GetError();

    // A driver asked for by name (the tests ask for offscreen) is used as it is.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && *asked != 0) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return std::nullopt;
        return std::string("no display could be opened with SDL_VIDEODRIVER=") + asked + ": " + SDL_GetError();
    }

    // Otherwise the desktop drivers in SDL's order of preference.
    std::string reasons;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const char* driver = SDL_GetVideoDriver(i);
        const Desktop_Driver* desktop = Desktop(driver);
        if (desktop == nullptr) continue;
        const char* display = std::getenv(desktop->display_variable);
        if (display == nullptr || *display == 0) {
            Add_Reason(reasons, std::string(desktop->display_variable) + " is not set");
            continue;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return std::nullopt;
        Add_Reason(reasons, std::string(desktop->display_variable) + "=" + display + " cannot be opened (" +
                                SDL_GetError() + ")");
    }
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    if (reasons.empty()) reasons = "this SDL has no desktop video driver";
    return "no display could be opened: " + reasons;
}

}  // namespace windowing
