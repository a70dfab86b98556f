// SDL's events turned into the messages the program sees, on the window
// thread.
#include "raster.h"
#include "windowing.h"

#include <SDL.h>

namespace {

// While a button is held, SDL keeps reporting the pointer to the window it
// was pressed in, wherever it goes (its automatic capture; X grabs the
// pointer the same way). The program never captures the mouse, and a window
// that has not captured it gets no mouse message for a point outside its
// client area: a release there is not seen at all.
bool In_Client_Area(HWND window, int x, int y) {
    return window != nullptr && x >= 0 && y >= 0 && x < window->client_width && y < window->client_height;
}

WPARAM Virtual_Key(SDL_Keycode key) {
    if (key == SDLK_RETURN || key == SDLK_KP_ENTER) return VK_RETURN;
    if (key == SDLK_ESCAPE) return VK_ESCAPE;
    if (key == SDLK_SPACE) return VK_SPACE;
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>(key);
    return 0;
}

void Resize_Client(HWND window, int width, int height) {
    window->client_width = width;
    window->client_height = height;
    raster::Resize_Bitmap(window->picture, width, height);
    window->needs_paint = true;
    window->erase = true;
    windowing::Post(window, WM_SIZE, 0, MAKELPARAM(width, height));
}

void Translate_Button(const SDL_MouseButtonEvent& button) {
    HWND window = windowing::By_Sdl_Id(button.windowID);
    if (!In_Client_Area(window, button.x, button.y)) return;
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    UINT message = 0;
    if (button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    if (button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (message != 0) windowing::Post(window, message, 0, MAKELPARAM(button.x, button.y));
}

void Translate_Window_Event(const SDL_WindowEvent& change) {
    HWND window = windowing::By_Sdl_Id(change.windowID);
    if (window == nullptr) return;
    switch (change.event) {
        case SDL_WINDOWEVENT_CLOSE:
            windowing::Post(window, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Resize_Client(window, change.data1, change.data2);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            // What comes back into view is invalidated with its background
            // to erase, as the system does.
            window->erase = true;
            window->needs_paint = true;
            break;
        default:
            break;
    }
}

}  // namespace

void windowing::Translate_Event(const SDL_Event& event) {
    WINDOW_THREAD_ONLY();
    switch (event.type) {
        case SDL_MOUSEMOTION: {
            HWND window = By_Sdl_Id(event.motion.windowID);
            if (!In_Client_Area(window, event.motion.x, event.motion.y)) break;
            // As the system's default answer to WM_SETCURSOR: the class's
            // cursor, before the window is given the move and may set its own.
            if (window->class_cursor != nullptr) SetCursor(window->class_cursor);
            Post_Pointer_Move(window, event.motion.x, event.motion.y);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            Translate_Button(event.button);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (HWND window = By_Sdl_Id(event.key.windowID)) {
                const WPARAM key = Virtual_Key(event.key.keysym.sym);
                if (key != 0) Post(window, event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, key, 0);
            }
            break;
        case SDL_WINDOWEVENT:
            Translate_Window_Event(event.window);
            break;
        case SDL_QUIT:
            // The session asks the program to end (for instance on SIGTERM):
            // every top-level window of the program's own classes is closed.
            for (HWND window : Live_Windows_Where([](const HWND__& w) { return w.top_level && !w.builtin_class; }))
                Post(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}
