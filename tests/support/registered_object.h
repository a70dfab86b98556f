// An object registered with the process's manager for a window while it
// lives, and taken off again when it goes.
#pragma once

#include "platform.h"
#include "screen/on_screen_object_manager.h"

#include <utility>

template <typename Object>
struct Registered {
    template <typename... Arguments>
    explicit Registered(HWND for_window, Arguments&&... arguments)
        : window(for_window), object(std::forward<Arguments>(arguments)...) {
        Process_Screen_Object_Manager().Add_Object(window, &object);
    }
    ~Registered() {
        On_Screen_Object_Manager& manager = Process_Screen_Object_Manager();
        On_Screen_Object_Manager::Objects_Lock objects(manager);
        manager.Find_Window(objects, window)->Remove(&object);
    }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

    HWND window;
    Object object;
};
