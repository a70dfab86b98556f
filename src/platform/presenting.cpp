// Painting a window and presenting it. A window is painted into a picture of
// its client area, which is copied to the screen at most once per display
// refresh, as a compositor does: copying it there costs more than painting
// it. Whatever was painted last is on the screen within one refresh, since
// the message loop presents a waiting picture as soon as it is due.
//
// Painting itself follows the system: a window that needs painting is sent
// WM_PAINT when its thread has nothing else to do, all the invalidations
// since its last paint at once, and UpdateWindow paints before it returns,
// from any thread. How often a program asks for that is the program's
// business.
#include "platform_testing.h"
#include "raster.h"
#include "windowing.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

namespace {

uint64_t Now_Ms() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void Present(HWND window) {
    WINDOW_THREAD_ONLY();
    window->picture_changed = false;
    window->last_present_ms = Now_Ms();
    if (window->sdl == nullptr || window->picture == nullptr) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window->sdl);
    if (surface == nullptr) return;
    const HBITMAP__& picture = *window->picture;
    const int width = std::min(surface->w, picture.width);
    const int height = std::min(surface->h, picture.height);
    if (width > 0 && height > 0) {
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, picture.pixels, picture.stride,
                          surface->format->format, surface->pixels, surface->pitch);
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    }
    SDL_UpdateWindowSurface(window->sdl);
}

}  // namespace

uint64_t windowing::Milliseconds_Until_Present(HWND window) {
    const uint64_t due = window->last_present_ms + window->present_interval_ms;
    const uint64_t now = Now_Ms();
    return now >= due ? 0 : due - now;
}

uint64_t windowing::Present_Due_Windows(uint64_t fallback) {
    const auto waiting = Live_Windows_Where([](const HWND__& window) {
        return window.owner == std::this_thread::get_id() && window.picture_changed;
    });
    uint64_t next = fallback;
    for (HWND window : waiting) {
        const uint64_t wait = Milliseconds_Until_Present(window);
        if (wait == 0)
            Present(window);
        else
            next = std::min(next, wait);
    }
    return next;
}

namespace {

std::atomic<int> display_refresh_hz{0};

}  // namespace

void windowing::Measure_Display_Refresh() {
    WINDOW_THREAD_ONLY();
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0) display_refresh_hz = mode.refresh_rate;
}

// Only the display's refresh rate is asked for; the drawing surfaces are
// all the display's, so every context answers as the display does.
int GetDeviceCaps(HDC dc, int index) {
    if (dc == nullptr) return 0;
    switch (index) {
        case VREFRESH:
            return display_refresh_hz;  // 0 where the display does not say
        default:
            return 0;
    }
}

void windowing::Measure_Refresh(HWND window) {
    WINDOW_THREAD_ONLY();
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(window->sdl, &mode) == 0 && mode.refresh_rate >= 24)
        window->present_interval_ms = static_cast<uint64_t>(1000 / mode.refresh_rate);
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
    if (!windowing::Is_Live(window)) return FALSE;
    if (erase) window->erase = true;
    window->needs_paint = true;
    if (!windowing::On_Thread_Of(window)) windowing::Wake_Window_Thread();
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    if (!windowing::Is_Live(window)) return FALSE;
    if (!window->needs_paint || !window->visible) return TRUE;
    const bool painted = windowing::Run_On_Window_Thread(window, [window] {
        if (window->needs_paint && window->visible && !window->destroyed) window->procedure(window, WM_PAINT, 0, 0);
    });
    return painted ? TRUE : FALSE;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    if (paint == nullptr) return nullptr;
    std::memset(paint, 0, sizeof *paint);
    if (!windowing::Is_Live(window)) return nullptr;
    // Another thread cannot paint the window: its context draws nowhere.
    HDC dc = raster::New_Dc(Dc_Kind::Nowhere);
    dc->window = window;
    if (windowing::On_Thread_Of(window) && window->picture != nullptr) {
        window->needs_paint = false;
        paint->fErase = window->erase.exchange(false) ? TRUE : FALSE;
        paint->rcPaint = RECT{0, 0, window->client_width, window->client_height};
        dc->kind = Dc_Kind::Window;
        dc->bitmap = window->picture;
    }
    paint->hdc = dc;
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint == nullptr || paint->hdc == nullptr) return FALSE;
    HDC dc = paint->hdc;
    if (dc->kind == Dc_Kind::Window && windowing::Is_Live(window) && windowing::On_Thread_Of(window)) {
        window->picture_changed = true;
        if (windowing::Milliseconds_Until_Present(window) == 0) Present(window);
    }
    raster::Free_Dc(dc);
    return TRUE;
}

testing_hooks::Screen_Picture testing_hooks::Read_Screen(HWND window) {
    Screen_Picture shown;
    if (!windowing::Is_Live(window)) return shown;
    windowing::Run_On_Window_Thread(window, [&] {
        if (window->sdl == nullptr) return;
        SDL_Surface* surface = SDL_GetWindowSurface(window->sdl);
        if (surface == nullptr) return;
        shown.width = surface->w;
        shown.height = surface->h;
        shown.pixels.assign(static_cast<size_t>(surface->w) * static_cast<size_t>(surface->h), 0);
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
                          SDL_PIXELFORMAT_RGB888, shown.pixels.data(), 4 * surface->w);
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    });
    return shown;
}
