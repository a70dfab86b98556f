// Windows, the message loop, painting and cursors on SDL2.
//
// One thread owns the windows: the first that registers a class, creates a
// window or runs a message loop. Only that thread calls SDL. Other threads
// reach it by posting messages, or by handing it work and waiting for it
// (the synchronous repaint and message sends), which it runs when it next
// looks for a message, before anything else, as the system does with sent
// messages.
#include "windowing.h"

#include "platform_testing.h"
#include "raster.h"
#include "video_start.h"

#include <SDL.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

namespace {

struct Sent_Work {
    HWND window = nullptr;
    const std::function<void()>* work = nullptr;
    bool running = false;
    bool done = false;
};

struct Window_Class {
    WNDPROC procedure = nullptr;
    HCURSOR cursor = nullptr;
};

struct Windowing {
    std::mutex lock;
    std::condition_variable changed;  // work done, window destroyed, loop ended
    std::thread::id thread;
    bool thread_known = false;
    bool sdl_ready = false;
    // Whether SDL's wait wakes at once for an event pushed by another thread.
    // The offscreen and dummy drivers only look every millisecond, so there
    // the loop waits on its own condition instead and looks at SDL's queue
    // after it.
    bool sdl_wakes = true;
    uint32_t wake_event = 0;
    std::deque<MSG> posted;
    std::deque<Sent_Work*> sent;
    bool quit_posted = false;
    int quit_code = 0;
    bool loop_ended = false;  // the last loop took its quit message and no new one runs
    std::vector<std::unique_ptr<HWND__>> windows;  // every window made, kept until exit
    std::map<std::string, Window_Class> classes;
};

Windowing& State() {
    static Windowing state;
    return state;
}

// Default client size: room for a 784 × 500 weight picture at its place.
constexpr int default_client_width = 1200;
constexpr int default_client_height = 900;

void Ensure_Window_Thread() {
    Windowing& ui = State();
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        if (!ui.thread_known) {
            ui.thread = std::this_thread::get_id();
            ui.thread_known = true;
        }
        if (ui.thread != std::this_thread::get_id() || ui.sdl_ready) return;
    }
    if (windowing::Start_Video()) return;  // no display: no window can be made
    const uint32_t wake = SDL_RegisterEvents(1);
    const char* driver = SDL_GetCurrentVideoDriver();
    std::lock_guard<std::mutex> hold(ui.lock);
    ui.wake_event = wake;
    ui.sdl_wakes = driver == nullptr || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0);
    ui.sdl_ready = true;
}

bool Is_Live(HWND window) {
    if (window == nullptr) return false;
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    for (const auto& candidate : ui.windows)
        if (candidate.get() == window) return !window->destroyed;
    return false;
}

HWND By_Sdl_Id(uint32_t id) {
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    for (const auto& window : ui.windows)
        if (window->sdl_id == id && !window->destroyed && window->sdl != nullptr) return window.get();
    return nullptr;
}

void Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    // Pointer movements are merged, as the system does: only the newest counts.
    if (message == WM_MOUSEMOVE && !ui.posted.empty() && ui.posted.back().message == WM_MOUSEMOVE &&
        ui.posted.back().hwnd == window) {
        ui.posted.back().lParam = lparam;
        return;
    }
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wparam;
    m.lParam = lparam;
    m.time = SDL_GetTicks();
    ui.posted.push_back(m);
}

void Present(HWND window) {
    window->picture_changed = false;
    window->last_present_ms = SDL_GetTicks64();
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

// A window is painted as often as its owner likes, but its picture goes to
// the screen at most once per display refresh: copying it there costs more
// than painting it. Whatever was painted last is on the screen within one
// refresh, since the message loop presents it when it is due.
uint64_t Milliseconds_Until_Present(HWND window) {
    const uint64_t due = window->last_present_ms + window->present_interval_ms;
    const uint64_t now = SDL_GetTicks64();
    return now >= due ? 0 : due - now;
}

// Presents every window whose new picture is due; the time until the next
// one falls due, or fallback if none is waiting.
uint64_t Present_Due_Windows(uint64_t fallback) {
    Windowing& ui = State();
    std::vector<HWND> waiting;
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        for (const auto& window : ui.windows)
            if (window->picture_changed && !window->destroyed && window->owner == std::this_thread::get_id())
                waiting.push_back(window.get());
    }
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

void Measure_Refresh(HWND window) {
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(window->sdl, &mode) == 0 && mode.refresh_rate >= 24)
        window->present_interval_ms = static_cast<uint64_t>(1000 / mode.refresh_rate);
}

void Resize_Client(HWND window, int width, int height) {
    window->client_width = width;
    window->client_height = height;
    raster::Resize_Bitmap(window->picture, width, height);
    window->needs_paint = true;
    window->erase = true;
    Post(window, WM_SIZE, 0, MAKELPARAM(width, height));
}

WPARAM Virtual_Key(SDL_Keycode key) {
    if (key == SDLK_RETURN || key == SDLK_KP_ENTER) return VK_RETURN;
    if (key == SDLK_ESCAPE) return VK_ESCAPE;
    if (key == SDLK_SPACE) return VK_SPACE;
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>(key);
    return 0;
}

// While a button is held, SDL keeps reporting the pointer to the window it
// was pressed in, wherever it goes (its automatic capture; X grabs the
// pointer the same way). The program never captures the mouse, and a window
// that has not captured it gets no mouse message for a point outside its
// client area: a release there is not seen at all.
bool In_Client_Area(HWND window, int x, int y) {
    return window != nullptr && x >= 0 && y >= 0 && x < window->client_width && y < window->client_height;
}

// Turns one SDL event into the messages the program sees.
void Translate_Event(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION:
            if (HWND window = By_Sdl_Id(event.motion.windowID); In_Client_Area(window, event.motion.x, event.motion.y))
                Post(window, WM_MOUSEMOVE, 0, MAKELPARAM(event.motion.x, event.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            HWND window = By_Sdl_Id(event.button.windowID);
            if (!In_Client_Area(window, event.button.x, event.button.y)) break;
            const bool down = event.type == SDL_MOUSEBUTTONDOWN;
            UINT message = 0;
            if (event.button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            if (event.button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            if (message != 0) Post(window, message, 0, MAKELPARAM(event.button.x, event.button.y));
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (HWND window = By_Sdl_Id(event.key.windowID)) {
                const WPARAM key = Virtual_Key(event.key.keysym.sym);
                if (key != 0) Post(window, event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, key, 0);
            }
            break;
        case SDL_WINDOWEVENT: {
            HWND window = By_Sdl_Id(event.window.windowID);
            if (window == nullptr) break;
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    Post(window, WM_CLOSE, 0, 0);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    Resize_Client(window, event.window.data1, event.window.data2);
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                    window->needs_paint = true;
                    break;
                default:
                    break;
            }
            break;
        }
        case SDL_QUIT: {
            // The session asks the program to end (for instance on SIGTERM):
            // close every window of the program's own classes.
            Windowing& ui = State();
            std::vector<HWND> to_close;
            {
                std::lock_guard<std::mutex> hold(ui.lock);
                for (const auto& window : ui.windows)
                    if (window->top_level && !window->destroyed && window->class_name[0] != '#')
                        to_close.push_back(window.get());
            }
            for (HWND window : to_close) Post(window, WM_CLOSE, 0, 0);
            break;
        }
        default:
            break;
    }
}

void Apply_Titles() {
    Windowing& ui = State();
    std::vector<std::pair<SDL_Window*, std::string>> changes;
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        for (const auto& window : ui.windows) {
            if (!window->title_changed) continue;
            window->title_changed = false;
            if (window->sdl != nullptr && !window->destroyed) changes.emplace_back(window->sdl, window->title);
        }
    }
    for (const auto& [sdl, title] : changes) SDL_SetWindowTitle(sdl, title.c_str());
}

void Run_Sent_Work() {
    Windowing& ui = State();
    std::unique_lock<std::mutex> hold(ui.lock);
    while (!ui.sent.empty()) {
        Sent_Work* item = ui.sent.front();
        ui.sent.pop_front();
        if (item->window != nullptr && item->window->destroyed) {
            ui.changed.notify_all();  // its waiter gives up
            continue;
        }
        item->running = true;
        hold.unlock();
        (*item->work)();
        hold.lock();
        item->running = false;
        item->done = true;
        ui.changed.notify_all();
    }
}

HWND Window_Needing_Paint() {
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    for (const auto& window : ui.windows)
        if (window->top_level && window->visible && !window->destroyed && window->needs_paint)
            return window.get();
    return nullptr;
}

bool On_Thread_Of(HWND window) { return window->owner == std::this_thread::get_id(); }

HWND Make_Window(const char* class_name, const char* window_name, DWORD style, int width, int height,
                 HWND parent, std::shared_ptr<void> builtin_state);

struct Cursor_Entry {
    uintptr_t id;
    SDL_SystemCursor shape;
    SDL_Cursor* cursor;
    bool tried;
};

Cursor_Entry cursors[] = {
    {32512, SDL_SYSTEM_CURSOR_ARROW, nullptr, false},    {32649, SDL_SYSTEM_CURSOR_HAND, nullptr, false},
    {32646, SDL_SYSTEM_CURSOR_SIZEALL, nullptr, false},  {32643, SDL_SYSTEM_CURSOR_SIZENESW, nullptr, false},
    {32642, SDL_SYSTEM_CURSOR_SIZENWSE, nullptr, false}, {32644, SDL_SYSTEM_CURSOR_SIZEWE, nullptr, false},
    {32645, SDL_SYSTEM_CURSOR_SIZENS, nullptr, false},
};

std::atomic<HCURSOR> current_cursor{nullptr};

}  // namespace

namespace windowing {

bool On_Window_Thread() {
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    return ui.thread_known && ui.thread == std::this_thread::get_id();
}

void Wake_Window_Thread() {
    Windowing& ui = State();
    uint32_t wake = 0;
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        ui.changed.notify_all();
        if (!ui.sdl_ready || !ui.sdl_wakes) return;
        wake = ui.wake_event;
    }
    SDL_Event event{};
    event.type = wake;
    SDL_PushEvent(&event);
}

bool Run_On_Window_Thread(HWND window, const std::function<void()>& work) {
    if (window != nullptr ? On_Thread_Of(window) : On_Window_Thread()) {
        work();
        return true;
    }
    Windowing& ui = State();
    Sent_Work item;
    item.window = window;
    item.work = &work;
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        if (!ui.thread_known || ui.loop_ended || (window != nullptr && window->destroyed)) return false;
        ui.sent.push_back(&item);
    }
    Wake_Window_Thread();
    std::unique_lock<std::mutex> hold(ui.lock);
    ui.changed.wait(hold, [&] {
        return item.done ||
               (!item.running && (ui.loop_ended || (window != nullptr && window->destroyed)));
    });
    if (!item.done) {
        auto queued = std::find(ui.sent.begin(), ui.sent.end(), &item);
        if (queued != ui.sent.end()) ui.sent.erase(queued);
    }
    return item.done;
}

bool Next_Message(MSG& message) {
    Ensure_Window_Thread();
    Windowing& ui = State();
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        ui.loop_ended = false;
    }
    for (;;) {
        Run_Sent_Work();
        bool sdl_ready;
        {
            std::lock_guard<std::mutex> hold(ui.lock);
            sdl_ready = ui.sdl_ready;
        }
        SDL_Event event;
        if (sdl_ready)
            while (SDL_PollEvent(&event)) Translate_Event(event);
        Apply_Titles();
        const uint64_t wait = sdl_ready ? Present_Due_Windows(100) : 10;
        {
            std::lock_guard<std::mutex> hold(ui.lock);
            if (!ui.posted.empty()) {
                message = ui.posted.front();
                ui.posted.pop_front();
                return true;
            }
            if (ui.quit_posted) {
                ui.quit_posted = false;
                message = MSG{};
                message.message = WM_QUIT;
                message.wParam = static_cast<WPARAM>(ui.quit_code);
                return false;
            }
        }
        if (HWND window = Window_Needing_Paint()) {
            message = MSG{};
            message.hwnd = window;
            message.message = WM_PAINT;
            return true;
        }
        {
            // Nothing to do: sleep until input, another thread's request or
            // the next picture due on the screen.
            std::unique_lock<std::mutex> hold(ui.lock);
            if (!ui.sent.empty()) continue;
            if (!sdl_ready || !ui.sdl_wakes) {
                ui.changed.wait_for(hold, std::chrono::milliseconds(std::min<uint64_t>(wait, 5)));
                continue;
            }
        }
        if (SDL_WaitEventTimeout(&event, static_cast<int>(std::max<uint64_t>(wait, 1)))) Translate_Event(event);
    }
}

void End_Of_Loop() {
    Windowing& ui = State();
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        ui.loop_ended = true;
        ui.sent.clear();  // their waiters see the loop has ended and give up
        ui.changed.notify_all();
    }
    Close_All_Message_Boxes();
}

void Register_Builtin_Class(const char* name, WNDPROC procedure) {
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    ui.classes[name] = Window_Class{procedure, nullptr};
}

HWND Create_Top_Level(const char* class_name, const char* title, int client_width, int client_height,
                      bool resizable, std::shared_ptr<void> builtin_state) {
    return Make_Window(class_name, title, resizable ? WS_OVERLAPPEDWINDOW : WS_CAPTION, client_width,
                       client_height, nullptr, std::move(builtin_state));
}

std::vector<HWND> Live_Windows(const char* class_name) {
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    std::vector<HWND> found;
    for (const auto& window : ui.windows)
        if (!window->destroyed && window->class_name == class_name) found.push_back(window.get());
    return found;
}

}  // namespace windowing

ATOM RegisterClassExA(const WNDCLASSEXA* window_class) {
    if (window_class == nullptr || window_class->lpszClassName == nullptr ||
        window_class->lpfnWndProc == nullptr)
        return 0;
    Ensure_Window_Thread();
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    if (ui.classes.count(window_class->lpszClassName) != 0) return 0;  // already registered
    ui.classes[window_class->lpszClassName] = Window_Class{window_class->lpfnWndProc, window_class->hCursor};
    return static_cast<ATOM>(0xC000 + ui.classes.size());
}

HWND CreateWindowExA(DWORD, LPCSTR class_name, LPCSTR window_name, DWORD style, int, int, int width,
                     int height, HWND parent, HMENU, HINSTANCE, LPVOID) {
    return Make_Window(class_name, window_name, style, width, height, parent, nullptr);
}

namespace {

HWND Make_Window(const char* class_name, const char* window_name, DWORD style, int width, int height,
                 HWND parent, std::shared_ptr<void> builtin_state) {
    if (class_name == nullptr) return nullptr;
    if (std::strcmp(class_name, "LISTBOX") == 0) windowing::Register_List_Box_Class();
    Windowing& ui = State();
    Window_Class window_class;
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        auto found = ui.classes.find(class_name);
        if (found == ui.classes.end()) return nullptr;
        window_class = found->second;
    }
    auto window = std::make_unique<HWND__>();
    window->class_name = class_name;
    window->procedure = window_class.procedure;
    window->parent = parent;
    window->owner = std::this_thread::get_id();
    window->title = window_name != nullptr ? window_name : "";
    window->builtin_state = std::move(builtin_state);
    window->top_level = (style & WS_CHILD) == 0 && std::strcmp(class_name, "LISTBOX") != 0;
    if (window->top_level) {
        Ensure_Window_Thread();
        {
            std::lock_guard<std::mutex> hold(ui.lock);
            if (!ui.sdl_ready || ui.thread != std::this_thread::get_id()) return nullptr;
        }
        if (width == CW_USEDEFAULT || width <= 0 || height <= 0) {
            width = default_client_width;
            height = default_client_height;
            SDL_Rect usable;
            if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 200 && usable.h > 200) {
                width = std::min(width, usable.w - 40);
                height = std::min(height, usable.h - 60);
            }
        }
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if ((style & WS_THICKFRAME) != 0) flags |= SDL_WINDOW_RESIZABLE;
        window->sdl = SDL_CreateWindow(window->title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                       width, height, flags);
        if (window->sdl == nullptr) return nullptr;
        window->sdl_id = SDL_GetWindowID(window->sdl);
        int actual_width = width;
        int actual_height = height;
        SDL_GetWindowSize(window->sdl, &actual_width, &actual_height);
        window->client_width = actual_width;
        window->client_height = actual_height;
        window->picture = raster::Make_Bitmap(actual_width, actual_height, 32, false);
        Measure_Refresh(window.get());
    }
    HWND handle = window.get();
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        ui.windows.push_back(std::move(window));
    }
    if (handle->procedure(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOW);
    return handle;
}

}  // namespace

BOOL IsWindow(HWND window) { return Is_Live(window) ? TRUE : FALSE; }

BOOL DestroyWindow(HWND window) {
    if (!Is_Live(window) || !On_Thread_Of(window)) return FALSE;
    window->procedure(window, WM_DESTROY, 0, 0);
    Windowing& ui = State();
    {
        std::lock_guard<std::mutex> hold(ui.lock);
        window->destroyed = true;
        window->visible = false;
        ui.changed.notify_all();  // threads waiting on this window are released
    }
    if (window->sdl != nullptr) {
        SDL_DestroyWindow(window->sdl);
        window->sdl = nullptr;
    }
    if (window->picture != nullptr) {
        raster::Free_Bitmap(window->picture);
        window->picture = nullptr;
    }
    return TRUE;
}

BOOL ShowWindow(HWND window, int show_command) {
    if (!Is_Live(window) || !On_Thread_Of(window)) return FALSE;
    const bool was_visible = window->visible;
    if (window->sdl == nullptr) return was_visible;
    if (show_command == SW_HIDE) {
        SDL_HideWindow(window->sdl);
        window->visible = false;
    } else {
        SDL_ShowWindow(window->sdl);
        window->visible = true;
        window->needs_paint = true;
        window->erase = true;
    }
    return was_visible ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return 0;
    }
}

void PostQuitMessage(int exit_code) {
    Windowing& ui = State();
    std::lock_guard<std::mutex> hold(ui.lock);
    ui.quit_posted = true;
    ui.quit_code = exit_code;
}

BOOL GetMessageA(LPMSG message, HWND, UINT, UINT) {
    if (message == nullptr) return -1;
    if (windowing::Next_Message(*message)) return TRUE;
    windowing::End_Of_Loop();
    return FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* message) {
    if (message == nullptr || !Is_Live(message->hwnd)) return 0;
    return message->hwnd->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (window != nullptr && !Is_Live(window)) return FALSE;
    Post(window, message, wparam, lparam);
    if (!windowing::On_Window_Thread()) windowing::Wake_Window_Thread();
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!Is_Live(window)) return 0;
    LRESULT result = 0;
    windowing::Run_On_Window_Thread(
        window, [&] { result = window->procedure(window, message, wparam, lparam); });
    return result;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    if (!Is_Live(window)) return FALSE;
    {
        std::lock_guard<std::mutex> hold(State().lock);
        window->title = text != nullptr ? text : "";
        window->title_changed = true;
    }
    if (On_Thread_Of(window))
        Apply_Titles();
    else
        windowing::Wake_Window_Thread();
    return TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int buffer_size) {
    if (buffer == nullptr || buffer_size <= 0) return 0;
    buffer[0] = 0;
    if (!Is_Live(window)) return 0;
    std::lock_guard<std::mutex> hold(State().lock);
    const int length = std::min<int>(static_cast<int>(window->title.size()), buffer_size - 1);
    std::memcpy(buffer, window->title.data(), static_cast<size_t>(length));
    buffer[length] = 0;
    return length;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
    if (!Is_Live(window)) return FALSE;
    if (erase) window->erase = true;
    window->needs_paint = true;
    if (!On_Thread_Of(window)) windowing::Wake_Window_Thread();
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    if (!Is_Live(window)) return FALSE;
    if (!window->needs_paint || !window->visible) return TRUE;
    const bool painted = windowing::Run_On_Window_Thread(window, [window] {
        if (window->needs_paint && window->visible && !window->destroyed)
            window->procedure(window, WM_PAINT, 0, 0);
    });
    return painted ? TRUE : FALSE;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    if (paint == nullptr) return nullptr;
    std::memset(paint, 0, sizeof *paint);
    if (!Is_Live(window)) return nullptr;
    auto* dc = new HDC__;
    dc->window = window;
    if (On_Thread_Of(window) && window->picture != nullptr) {
        window->needs_paint = false;
        paint->fErase = window->erase.exchange(false) ? TRUE : FALSE;
        paint->rcPaint = RECT{0, 0, window->client_width, window->client_height};
        dc->kind = Dc_Kind::Window;
        dc->bitmap = window->picture;
    } else {
        // Another thread cannot paint the window: its context draws nowhere.
        dc->kind = Dc_Kind::Nowhere;
    }
    paint->hdc = dc;
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint == nullptr || paint->hdc == nullptr) return FALSE;
    HDC dc = paint->hdc;
    if (dc->kind == Dc_Kind::Window && Is_Live(window) && On_Thread_Of(window)) {
        window->picture_changed = true;
        if (Milliseconds_Until_Present(window) == 0) Present(window);
    }
    raster::Free_Dc(dc);
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    if (rect == nullptr || !Is_Live(window)) return FALSE;
    *rect = RECT{0, 0, window->client_width, window->client_height};
    return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    const auto id = reinterpret_cast<uintptr_t>(name);
    for (Cursor_Entry& entry : cursors)
        if (entry.id == id) return reinterpret_cast<HCURSOR>(&entry);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = current_cursor.exchange(cursor);
    if (cursor == nullptr || !windowing::On_Window_Thread()) return previous;
    {
        std::lock_guard<std::mutex> hold(State().lock);
        if (!State().sdl_ready) return previous;
    }
    // A cursor handle points at its entry in the table of system cursors.
    auto& entry = *reinterpret_cast<Cursor_Entry*>(cursor);
    if (!entry.tried) {
        entry.cursor = SDL_CreateSystemCursor(entry.shape);  // fails without a display: tolerated
        entry.tried = true;
    }
    if (entry.cursor != nullptr) SDL_SetCursor(entry.cursor);
    return previous;
}

HCURSOR GetCursor() { return current_cursor.load(); }

int testing_hooks::Waiting_Senders() {
    std::lock_guard<std::mutex> hold(State().lock);
    return static_cast<int>(State().sent.size());
}

int testing_hooks::Cursor_Shape(HCURSOR cursor) {
    for (const Cursor_Entry& entry : cursors)
        if (reinterpret_cast<HCURSOR>(const_cast<Cursor_Entry*>(&entry)) == cursor) return entry.shape;
    return -1;
}

testing_hooks::Screen_Picture testing_hooks::Read_Screen(HWND window) {
    Screen_Picture shown;
    if (!Is_Live(window)) return shown;
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
