// What a window is on the SDL platform, and the services the window-related
// sources share: the thread that owns the windows, cross-thread work handed to
// it, and built-in window classes.
#pragma once

#include "platform.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

struct SDL_Window;

struct HWND__ {
    std::string class_name;
    WNDPROC procedure = nullptr;
    HWND parent = nullptr;
    std::thread::id owner;            // the thread that created it and runs its procedure
    bool top_level = false;           // shown in an SDL window of its own
    std::atomic<bool> visible{false};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> needs_paint{false};
    std::atomic<bool> erase{false};
    std::atomic<int> client_width{0};
    std::atomic<int> client_height{0};
    std::shared_ptr<void> builtin_state;  // a built-in class's own state
    std::string title;                    // guarded by the windowing lock
    bool title_changed = false;           // guarded by the windowing lock

    // Owned by the window's thread only.
    SDL_Window* sdl = nullptr;
    uint32_t sdl_id = 0;
    HBITMAP picture = nullptr;  // what the window shows: painted by BeginPaint's context
    bool picture_changed = false;        // painted since it was last copied to the screen
    uint64_t last_present_ms = 0;        // when it was last copied to the screen (SDL ticks)
    uint64_t present_interval_ms = 16;   // one refresh of the display it stands on
};

namespace windowing {

// The thread that owns the windows (the first to create one or run a loop).
bool On_Window_Thread();

// Runs work on the window thread and waits for it. On that thread the work
// runs at once. Returns false without running it when the window dies, or no
// message loop is running to take it; a thread blocked here is then released.
bool Run_On_Window_Thread(HWND window, const std::function<void()>& work);

// Wakes the window thread's message loop (safe from any thread).
void Wake_Window_Thread();

// Retrieves the next message, running cross-thread work and pumping input on
// the way; false for the quit message. Used by GetMessageA and by the modal
// loop of a message box on the window thread.
bool Next_Message(MSG& message);

// Called when a message loop has retrieved its quit message: work still
// queued for the window thread is refused, and every open message box is
// closed, so that no other thread stays blocked on a loop that has ended.
void End_Of_Loop();

// A registered built-in class (the list box, the message box).
void Register_Builtin_Class(const char* name, WNDPROC procedure);

// Registers the built-in "LISTBOX" class once (list_box.cpp).
void Register_List_Box_Class();

// Creates a top-level window of a given client size on the window thread,
// holding a built-in class's state from the start.
HWND Create_Top_Level(const char* class_name, const char* title, int client_width,
                      int client_height, bool resizable, std::shared_ptr<void> builtin_state);

// The live windows of a class, for the built-in classes' own bookkeeping.
std::vector<HWND> Live_Windows(const char* class_name);

// Closes every open message box and releases the threads waiting on them
// (message_box.cpp).
void Close_All_Message_Boxes();

}  // namespace windowing
