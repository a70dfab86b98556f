// The one process-wide registry of screen objects: for each window its
// objects in front-to-back order. It paints a window's objects and delivers
// its mouse events to them.
#pragma once

#include "locks.h"
#include "screen/window_object_list.h"

#include <vector>

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
    bool Add_Object(HWND window, On_Screen_Object* object) EXCLUDES(lock);
    // Appends an empty list for the window. Always true.
    bool Add_Window(HWND window) EXCLUDES(lock);
    // Draws the window's objects into the context, back to front.
    void Paint_Window(HWND window, HDC dc);
    // Hands a mouse event to the window's objects.
    void Dispatch_Mouse_Event(HWND window, Event_Code code, int x, int y);

    // Holds the objects still for as long as it lives: for anyone who
    // changes a registered object from another thread (its place, its
    // caption), or looks at the lists.
    class SCOPED_CAPABILITY Objects_Lock {
    public:
        explicit Objects_Lock(On_Screen_Object_Manager& objects_of) ACQUIRE(objects_of.lock)
            : manager(objects_of), held(objects_of.lock) {}
        ~Objects_Lock() RELEASE() {}
        Objects_Lock(const Objects_Lock&) = delete;
        Objects_Lock& operator=(const Objects_Lock&) = delete;

    private:
        friend class On_Screen_Object_Manager;
        const On_Screen_Object_Manager& manager;
        Holding<Recursive_Mutex> held;
    };

    // The window's list, or null; only while this manager's objects are
    // held, which the held lock shows (checked when the program runs too).
    Window_Object_List* Find_Window(const Objects_Lock& held, HWND window) REQUIRES(lock);
    // How many windows have a list.
    int32_t Window_Count(const Objects_Lock& held) const REQUIRES(lock);

private:
    // Stops the program at a look at the lists without this manager's lock.
    void Check_Held(const Objects_Lock& held) const;
    Window_Object_List* Find(HWND window) REQUIRES(lock);
    void Append_Window(HWND window) REQUIRES(lock);

    // The window's thread takes it to paint: nobody holds it while waiting
    // for that thread.
    mutable Recursive_Mutex lock{Lock_Role::paint};
    std::vector<Window_Object_List> windows GUARDED_BY(lock);  // in the order the windows came
};

// The manager of the program's windows.
On_Screen_Object_Manager& Process_Screen_Object_Manager();
