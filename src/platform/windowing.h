// What a window is on the SDL platform, and what the sources of the window
// layer share. One concern a file:
//
//   window_thread.cpp      the thread that owns the windows: the windows
//                          themselves, work sent to it, the message queue
//                          and the message loop
//   message_calls.cpp      the system's calls that take, dispatch, post and
//                          send messages
//   event_translation.cpp  SDL's events turned into the program's messages
//   presenting.cpp         painting a window, and copying its picture to the
//                          screen at most once per display refresh; the
//                          display's refresh rate
//   window_calls.cpp       window classes, and making, showing, destroying
//                          and titling windows
//   cursors.cpp            the standard cursors
//   message_box.cpp, list_box.cpp   the layer's own window classes
//
// Which thread may touch what, and in which order the locks are taken:
// docs/threads.md.
#pragma once

#include "locks.h"
#include "platform.h"

#include <atomic>
#include <cassert>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct SDL_Window;
union SDL_Event;

// Only the window's thread calls SDL. Checked in debug and sanitizer builds.
#if !defined(NDEBUG) || defined(LAYERDREAM_CHECKS)
#define WINDOW_THREAD_ONLY() assert(windowing::On_Window_Thread())
#else
#define WINDOW_THREAD_ONLY() ((void)0)
#endif

struct HWND__ {
    // Set when the window is made, before any other thread can see it, and
    // never changed: any thread may read them.
    std::string class_name;
    WNDPROC procedure = nullptr;
    HWND parent = nullptr;
    std::thread::id owner;          // the thread that made it and runs its procedure
    bool top_level = false;         // shown in an SDL window of its own
    bool builtin_class = false;     // a class of the layer's own (message box, list box)
    HCURSOR class_cursor = nullptr; // shown as the pointer moves in, if any
    std::shared_ptr<void> builtin_state;  // that class's own state

    // Written by the owner, read by any thread.
    std::atomic<bool> visible{false};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> needs_paint{false};
    std::atomic<bool> erase{false};
    std::atomic<int> client_width{0};
    std::atomic<int> client_height{0};
    std::atomic<uint64_t> last_present_ms{0};       // when its picture last went to the screen
    std::atomic<uint64_t> present_interval_ms{16};  // one refresh of the display it stands on

    // The owner's alone.
    SDL_Window* sdl = nullptr;
    uint32_t sdl_id = 0;
    HBITMAP picture = nullptr;          // what the window shows: painted by BeginPaint's context
    bool picture_changed = false;       // painted since it was last copied to the screen

    // The title: any thread sets it, the owner shows it.
    void Set_Title(std::string text);
    std::string Title() const;
    // The title, if it changed since it was last taken.
    std::optional<std::string> Take_New_Title();

private:
    mutable Mutex title_lock;
    std::string title GUARDED_BY(title_lock);
    bool title_changed GUARDED_BY(title_lock) = false;
};

namespace windowing {

// ------------------------------------------------------ window_thread.cpp

// Makes the calling thread the one that owns the windows, unless another
// thread already does, and starts SDL's video there. Nothing if the calling
// thread owns the windows and video runs; otherwise why not.
std::optional<std::string> Start_Window_Thread();

// Whether the calling thread owns the windows.
bool On_Window_Thread();

// Whether SDL's video runs (on the window thread).
bool Video_Running();

// Runs work on the window thread and waits for it. On that thread the work
// runs at once. Returns false without running it when the window dies, or no
// message loop is running to take it; a thread blocked here is then released.
bool Run_On_Window_Thread(HWND window, const std::function<void()>& work);

// Wakes the window thread's message loop (safe from any thread; it calls no SDL).
void Wake_Window_Thread();

// From the first SDL window on: the loop sleeps on the display connection
// of the window (X11), where input arrives, as well as on its wake-ups.
void Watch_Display(SDL_Window* window);
// display_connection.cpp: the X connection's descriptor of an SDL window, or
// -1 on another driver.
int Display_Connection_Fd(SDL_Window* window);

// Queues a message for the window thread's loop.
void Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Queues the pointer's move to a place in the window. Moves of the pointer
// that wait one after another are merged, as the system does: only the
// newest place counts. (Messages posted are never merged.)
void Post_Pointer_Move(HWND window, int x, int y);

// Retrieves the next message, running work sent by other threads and
// pumping input on the way; false for the quit message. Used by GetMessageA
// and by the modal loop of a message box on the window thread.
bool Next_Message(MSG& message);

// Called when a message loop has retrieved its quit message: work still
// queued for the window thread is refused, and every open message box is
// closed, so that no other thread stays blocked on a loop that has ended.
void End_Of_Loop();

// Every window made is kept until the process ends, so that a handle never
// dangles: a destroyed one is only marked so.
HWND Keep_Window(std::unique_ptr<HWND__> window);
bool Is_Live(HWND window);
// Marks a window destroyed and releases the threads waiting on it.
void Mark_Destroyed(HWND window);
// The live window with this SDL window id, or null.
HWND By_Sdl_Id(uint32_t id);
// The live windows for which the test holds, oldest first.
std::vector<HWND> Live_Windows_Where(const std::function<bool(const HWND__&)>& test);

inline bool On_Thread_Of(HWND window) { return window->owner == std::this_thread::get_id(); }

// ------------------------------------------------------ event_translation.cpp

// Turns one SDL event into the messages the program sees.
void Translate_Event(const SDL_Event& event);

// ------------------------------------------------------ presenting.cpp

// A window's picture goes to the screen at most once per display refresh:
// the milliseconds until it may go again (0: now). Any thread may ask.
uint64_t Milliseconds_Until_Present(HWND window);
// Copies every changed picture that is due to the screen; the milliseconds
// until the next one falls due, or fallback if none is waiting.
uint64_t Present_Due_Windows(uint64_t fallback);
// Takes the display's refresh interval for the window's pacing.
void Measure_Refresh(HWND window);
// Takes the main display's refresh rate, which GetDeviceCaps tells, when
// video starts.
void Measure_Display_Refresh();

// ------------------------------------------------------ window_calls.cpp

// The layer's own classes: a control is a child window with no SDL window
// of its own (the list box); a dialog is a top-level window the program did
// not ask for (the message box), which ending the session does not close.
enum class Builtin_Kind { Control, Dialog };
void Register_Builtin_Class(const char* name, WNDPROC procedure, Builtin_Kind kind);

// Creates a top-level window of a given client size on the window thread,
// holding a built-in class's state from the start.
HWND Create_Top_Level(const char* class_name, const char* title, int client_width, int client_height,
                      bool resizable, std::shared_ptr<void> builtin_state);

// The live windows of a class.
std::vector<HWND> Live_Windows(const char* class_name);

// Shows the titles set since they were last shown.
void Apply_Titles();

// ------------------------------------------------------ the built-in classes

void Register_List_Box_Class();     // list_box.cpp
void Register_Message_Box_Class();  // message_box.cpp
// Closes every open message box and releases the threads waiting on them.
void Close_All_Message_Boxes();

}  // namespace windowing
