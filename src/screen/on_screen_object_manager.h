// The one process-wide registry of screen objects: for each window its
// objects in front-to-back order. It paints a window's objects and delivers
// its mouse events to them.
#pragma once

#include "screen/window_object_list.h"

#include <memory>
#include <mutex>

// Two threads use the manager (docs/threads.md): the window's thread paints and dispatches,
// and the training worker registers its pictures and places them. They are
// kept apart by one lock that the window's thread may take again while it
// holds it, since painting also runs inside a dispatch (the repaints an
// answer asks for are synchronous). Nothing that waits for the other thread
// is done while holding it: Add_Object repaints only after letting it go.
class On_Screen_Object_Manager {
public:
    // Registers the object at the front of the window's list (creating the
    // list for a new window), then repaints the window. Always true.
    bool Add_Object(HWND window, On_Screen_Object* object);
    // Appends an empty list for the window. Always true.
    bool Add_Window(HWND window);
    // Draws the window's objects into the context, back to front.
    void Paint_Window(HWND window, HDC dc);
    // Hands a mouse event to the window's objects.
    void Dispatch_Mouse_Event(HWND window, Event_Code code, int x, int y);

    // Holds the objects still for as long as the lock lives: for anyone who
    // changes a registered object from another thread (its place, its
    // caption), or looks at the lists.
    using Objects_Lock = std::unique_lock<std::recursive_mutex>;
    [[nodiscard]] Objects_Lock Lock_Objects() { return Objects_Lock(lock); }

    // The window's list, or null; only while this manager's objects are held.
    Window_Object_List* Find_Window(const Objects_Lock& held, HWND window);
    // How many windows have a list.
    int32_t Window_Count(const Objects_Lock& held) const;

private:
    // Stops the program at a look at the lists without this manager's lock.
    void Check_Held(const Objects_Lock& held) const;
    Window_Object_List* Find(HWND window);

    mutable std::recursive_mutex lock;
    int32_t window_count = 0;                       // guarded by lock
    std::unique_ptr<Window_Object_List[]> windows;  // guarded by lock
};

// The manager of the program's windows.
On_Screen_Object_Manager& Process_Screen_Object_Manager();
