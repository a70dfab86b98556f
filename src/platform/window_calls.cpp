// Window classes, and the calls that make, show, destroy and title windows.
#include "raster.h"
#include "windowing.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

struct Window_Class {
    WNDPROC procedure = nullptr;
    HCURSOR cursor = nullptr;
    bool builtin = false;
    windowing::Builtin_Kind kind = windowing::Builtin_Kind::Dialog;
};

// The registered classes, guarded by their own lock.
struct Class_Registry {
    Mutex lock;
    std::map<std::string, Window_Class> classes GUARDED_BY(lock);
};

Class_Registry& Classes() {
    static Class_Registry registry;
    return registry;
}

// The layer's own classes are registered before the first class of the
// program's, so that every program linking the layer has them.
void Register_Builtin_Classes() {
    windowing::Register_List_Box_Class();
    windowing::Register_Message_Box_Class();
}

// Default client size: room for a 784 × 500 weight picture at its place.
constexpr int default_client_width = 1200;
constexpr int default_client_height = 900;

// Opens the SDL window of a top-level window, on the window thread.
bool Open_Sdl_Window(HWND__& window, DWORD style, int width, int height) {
    if (windowing::Start_Window_Thread()) return false;  // no display, or not the window thread
    WINDOW_THREAD_ONLY();
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
    window.sdl = SDL_CreateWindow(window.Title().c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                  height, flags);
    if (window.sdl == nullptr) return false;
    window.sdl_id = SDL_GetWindowID(window.sdl);
    windowing::Watch_Display(window.sdl);
    int actual_width = width;
    int actual_height = height;
    SDL_GetWindowSize(window.sdl, &actual_width, &actual_height);
    window.client_width = actual_width;
    window.client_height = actual_height;
    window.picture = raster::Make_Bitmap(actual_width, actual_height, 32, false);
    windowing::Measure_Refresh(&window);
    return true;
}

HWND Make_Window(const char* class_name, const char* window_name, DWORD style, int width, int height, HWND parent,
                 std::shared_ptr<void> builtin_state) {
    if (class_name == nullptr) return nullptr;
    Register_Builtin_Classes();
    Window_Class window_class;
    {
        Class_Registry& registry = Classes();
        Mutex_Lock hold(registry.lock);
        auto found = registry.classes.find(class_name);
        if (found == registry.classes.end()) return nullptr;
        window_class = found->second;
    }
    auto window = std::make_unique<HWND__>();
    window->class_name = class_name;
    window->procedure = window_class.procedure;
    window->parent = parent;
    window->owner = std::this_thread::get_id();
    window->Set_Title(window_name != nullptr ? window_name : "");
    window->builtin_class = window_class.builtin;
    window->class_cursor = window_class.cursor;
    window->builtin_state = std::move(builtin_state);
    const bool control = window_class.builtin && window_class.kind == windowing::Builtin_Kind::Control;
    window->top_level = (style & WS_CHILD) == 0 && !control;
    if (window->top_level && !Open_Sdl_Window(*window, style, width, height)) return nullptr;
    HWND handle = windowing::Keep_Window(std::move(window));
    if (handle->procedure(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOW);
    return handle;
}

}  // namespace

void HWND__::Set_Title(std::string text) {
    Mutex_Lock hold(title_lock);
    title = std::move(text);
    title_changed = true;
}

std::string HWND__::Title() const {
    Mutex_Lock hold(title_lock);
    return title;
}

std::optional<std::string> HWND__::Take_New_Title() {
    Mutex_Lock hold(title_lock);
    if (!title_changed) return std::nullopt;
    title_changed = false;
    return title;
}

namespace windowing {

void Register_Builtin_Class(const char* name, WNDPROC procedure, Builtin_Kind kind) {
    Class_Registry& registry = Classes();
    Mutex_Lock hold(registry.lock);
    registry.classes[name] = Window_Class{procedure, nullptr, true, kind};
}

HWND Create_Top_Level(const char* class_name, const char* title, int client_width, int client_height,
                      bool resizable, std::shared_ptr<void> builtin_state) {
    return Make_Window(class_name, title, resizable ? WS_OVERLAPPEDWINDOW : WS_CAPTION, client_width, client_height,
                       nullptr, std::move(builtin_state));
}

std::vector<HWND> Live_Windows(const char* class_name) {
    return Live_Windows_Where([class_name](const HWND__& window) { return window.class_name == class_name; });
}

void Apply_Titles() {
    for (HWND window : Live_Windows_Where([](const HWND__& w) { return w.owner == std::this_thread::get_id(); })) {
        const auto title = window->Take_New_Title();
        if (title && window->sdl != nullptr) {
            WINDOW_THREAD_ONLY();
            SDL_SetWindowTitle(window->sdl, title->c_str());
        }
    }
}

}  // namespace windowing

// ---------------------------------------------------------------- the system's calls

ATOM RegisterClassExA(const WNDCLASSEXA* window_class) {
    if (window_class == nullptr || window_class->lpszClassName == nullptr || window_class->lpfnWndProc == nullptr)
        return 0;
    windowing::Start_Window_Thread();
    Register_Builtin_Classes();
    Class_Registry& registry = Classes();
    Mutex_Lock hold(registry.lock);
    auto& classes = registry.classes;
    if (classes.count(window_class->lpszClassName) != 0) return 0;  // already registered
    classes[window_class->lpszClassName] = Window_Class{window_class->lpfnWndProc, window_class->hCursor};
    return static_cast<ATOM>(0xC000 + classes.size());
}

HWND CreateWindowExA(DWORD, LPCSTR class_name, LPCSTR window_name, DWORD style, int, int, int width, int height,
                     HWND parent, HMENU, HINSTANCE, LPVOID) {
    return Make_Window(class_name, window_name, style, width, height, parent, nullptr);
}

BOOL IsWindow(HWND window) { return windowing::Is_Live(window) ? TRUE : FALSE; }

BOOL DestroyWindow(HWND window) {
    if (!windowing::Is_Live(window) || !windowing::On_Thread_Of(window)) return FALSE;
    window->procedure(window, WM_DESTROY, 0, 0);
    windowing::Mark_Destroyed(window);
    if (window->sdl != nullptr) {
        WINDOW_THREAD_ONLY();
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
    if (!windowing::Is_Live(window) || !windowing::On_Thread_Of(window)) return FALSE;
    const bool was_visible = window->visible;
    if (window->sdl == nullptr) return was_visible;
    WINDOW_THREAD_ONLY();
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

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    if (!windowing::Is_Live(window)) return FALSE;
    window->Set_Title(text != nullptr ? text : "");
    if (windowing::On_Thread_Of(window))
        windowing::Apply_Titles();
    else
        windowing::Wake_Window_Thread();
    return TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int buffer_size) {
    if (buffer == nullptr || buffer_size <= 0) return 0;
    buffer[0] = 0;
    if (!windowing::Is_Live(window)) return 0;
    const std::string title = window->Title();
    const int length = std::min<int>(static_cast<int>(title.size()), buffer_size - 1);
    std::memcpy(buffer, title.data(), static_cast<size_t>(length));
    buffer[length] = 0;
    return length;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    if (rect == nullptr || !windowing::Is_Live(window)) return FALSE;
    *rect = RECT{0, 0, window->client_width, window->client_height};
    return TRUE;
}
