// The file descriptor of the X display connection SDL opened, so that the
// window thread can sleep on it beside its own wake-up descriptor, instead of
// being woken through SDL from other threads. Kept apart: X11's headers
// define names (None, Bool, Status, ...) that nothing else should see.
#include "windowing.h"

#include <SDL.h>
#include <SDL_syswm.h>

int windowing::Display_Connection_Fd(SDL_Window* window) {
    WINDOW_THREAD_ONLY();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return -1;
    return XConnectionNumber(info.info.x11.display);
}
