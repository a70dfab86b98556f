#include "screen/on_screen_object_manager.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

void On_Screen_Object_Manager::Check_Held(const Objects_Lock& held) const {
    if (held.owns_lock() && held.mutex() == &lock) return;
    std::fputs("layerdream: the screen objects were looked at without their lock\n", stderr);
    std::abort();
}

Window_Object_List* On_Screen_Object_Manager::Find(HWND window) {
    for (int32_t i = 0; i < window_count; ++i)
        if (windows[i].window == window) return &windows[i];
    return nullptr;
}

Window_Object_List* On_Screen_Object_Manager::Find_Window(const Objects_Lock& held, HWND window) {
    Check_Held(held);
    return Find(window);
}

int32_t On_Screen_Object_Manager::Window_Count(const Objects_Lock& held) const {
    Check_Held(held);
    return window_count;
}

bool On_Screen_Object_Manager::Add_Window(HWND window) {
    auto lists = std::lock_guard(lock);
    auto grown = std::make_unique<Window_Object_List[]>(static_cast<size_t>(window_count) + 1);
    for (int32_t i = 0; i < window_count; ++i) grown[i] = std::move(windows[i]);
    grown[window_count].window = window;
    windows = std::move(grown);
    ++window_count;
    return true;
}

bool On_Screen_Object_Manager::Add_Object(HWND window, On_Screen_Object* object) {
    {
        auto lists = std::lock_guard(lock);
        if (Find(window) == nullptr) Add_Window(window);
        Find(window)->Add_To_Front(object);
    }
    Repaint_Now(window);
    return true;
}

void On_Screen_Object_Manager::Paint_Window(HWND window, HDC dc) {
    auto lists = std::lock_guard(lock);
    Window_Object_List* list = Find(window);
    if (list == nullptr) return;
    for (int32_t i = list->object_count - 1; i >= 0; --i) list->objects[i]->Draw(dc);
}

void On_Screen_Object_Manager::Dispatch_Mouse_Event(HWND window, Event_Code code, int x, int y) {
    auto lists = std::lock_guard(lock);
    Window_Object_List* list = Find(window);
    if (list == nullptr) return;
    list->Dispatch(code, x, y);
}

On_Screen_Object_Manager& Process_Screen_Object_Manager() {
    static On_Screen_Object_Manager manager;
    return manager;
}
