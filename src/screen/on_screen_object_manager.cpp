#include "screen/on_screen_object_manager.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

void On_Screen_Object_Manager::Check_Held(const Objects_Lock& held) const {
    if (&held.manager == this) return;
    std::fputs("layerdream: the screen objects were looked at without their lock\n", stderr);
    std::abort();
}

Window_Object_List* On_Screen_Object_Manager::Find(HWND window) {
    for (Window_Object_List& list : windows)
        if (list.window == window) return &list;
    return nullptr;
}

Window_Object_List* On_Screen_Object_Manager::Find_Window(const Objects_Lock& held, HWND window) {
    Check_Held(held);
    return Find(window);
}

int32_t On_Screen_Object_Manager::Window_Count(const Objects_Lock& held) const {
    Check_Held(held);
    return static_cast<int32_t>(windows.size());
}

void On_Screen_Object_Manager::Append_Window(HWND window) { windows.emplace_back(window); }

bool On_Screen_Object_Manager::Add_Window(HWND window) {
    Objects_Lock held(*this);
    Append_Window(window);
    return true;
}

bool On_Screen_Object_Manager::Add_Object(HWND window, On_Screen_Object* object) {
    {
        Objects_Lock held(*this);
        if (Find(window) == nullptr) Append_Window(window);
        Find(window)->Add_To_Front(object);
    }
    Repaint_Now(window);
    return true;
}

void On_Screen_Object_Manager::Paint_Window(HWND window, HDC dc) {
    Objects_Lock held(*this);
    Window_Object_List* list = Find(window);
    if (list == nullptr) return;
    for (auto object = list->objects.rbegin(); object != list->objects.rend(); ++object) (*object)->Draw(dc);
}

void On_Screen_Object_Manager::Dispatch_Mouse_Event(HWND window, Event_Code code, int x, int y) {
    Objects_Lock held(*this);
    Window_Object_List* list = Find(window);
    if (list == nullptr) return;
    list->Dispatch(code, x, y);
}

On_Screen_Object_Manager& Process_Screen_Object_Manager() {
    static On_Screen_Object_Manager manager;
    return manager;
}
