// The thread that owns the windows: the first that starts video, registers a
// class, creates a window or runs a message loop. Only it calls SDL. Other
// threads reach it by posting messages, or by handing it work and waiting for
// it (the synchronous repaint and message sends), which it runs when it next
// looks for a message, before anything else, as the system does with sent
// messages. The rules of the two threads: docs/threads.md.
#include "locks.h"
#include "platform_testing.h"
#include "text.h"
#include "video_start.h"
#include "windowing.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// Work another thread waits for; it lives on that thread's stack. running
// and done are guarded by the window layer's lock.
struct Sent_Work {
    HWND window = nullptr;
    const std::function<void()>* work = nullptr;
    bool running = false;
    bool done = false;
};

// The window layer's state. Its lock is never held while a window
// procedure, sent work or SDL's wait runs.
struct Window_Thread_State {
    Mutex lock;
    Condition changed;  // work done, window destroyed, loop ended, wake asked
    // The thread that owns the windows, set once by the first that asks;
    // read without the lock by every call that asks which thread it is on.
    std::atomic<std::thread::id> thread{};
    bool video_running GUARDED_BY(lock) = false;
    // The loop sleeps on the display's connection, where input arrives, and
    // on an event descriptor that other threads write to wake it. Without a
    // display connection to watch (SDL's offscreen and dummy drivers, or
    // before the first window), it waits on its condition, a few
    // milliseconds at a time, and looks at SDL's queue after.
    int wake_fd GUARDED_BY(lock) = -1;
    int display_fd GUARDED_BY(lock) = -1;
    std::deque<MSG> posted GUARDED_BY(lock);
    bool last_is_pointer_move GUARDED_BY(lock) = false;  // the newest of posted is a move of the pointer's
    std::deque<Sent_Work*> sent GUARDED_BY(lock);
    bool quit_posted GUARDED_BY(lock) = false;
    int quit_code GUARDED_BY(lock) = 0;
    bool loop_ended GUARDED_BY(lock) = false;  // the last loop took its quit message and no new one runs
    std::vector<std::unique_ptr<HWND__>> windows GUARDED_BY(lock);  // every window made, kept until exit
};

Window_Thread_State& State() {
    static Window_Thread_State state;
    return state;
}

void Run_Sent_Work() {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
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

// Sleeps until the display connection has input, another thread wakes the
// loop, or the time is up. Xlib may already hold events it has read off the
// connection (SDL waits for some replies), which the connection would not
// show again: those are taken into SDL's queue first.
void Sleep_On_Display(int display_fd, int wake_fd, uint64_t milliseconds) {
    WINDOW_THREAD_ONLY();
    SDL_PumpEvents();
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
    pollfd watched[2] = {{display_fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    poll(watched, 2, static_cast<int>(std::max<uint64_t>(milliseconds, 1)));
    if ((watched[1].revents & POLLIN) != 0) {
        uint64_t wakes = 0;
        [[maybe_unused]] const ssize_t taken = read(wake_fd, &wakes, sizeof wakes);
    }
}

HWND Window_Needing_Paint() {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    for (const auto& window : ui.windows)
        if (window->top_level && window->visible && !window->destroyed && window->needs_paint) return window.get();
    return nullptr;
}

}  // namespace

namespace windowing {

std::optional<std::string> Start_Window_Thread() {
    Window_Thread_State& ui = State();
    std::thread::id nobody{};
    const std::thread::id me = std::this_thread::get_id();
    if (!ui.thread.compare_exchange_strong(nobody, me) && nobody != me)
        return std::string("the windows belong to another thread");
    {
        Mutex_Lock hold(ui.lock);
        if (ui.video_running) return std::nullopt;
    }
    if (auto problem = Start_Video()) return problem;
    Measure_Display_Refresh();
    {
        Mutex_Lock hold(ui.lock);
        ui.wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        ui.video_running = true;
    }
    // Text is drawn with SDL_ttf, which is SDL's too: its font is loaded here,
    // before any other thread can draw.
    text::Load_Font();
    return std::nullopt;
}

bool On_Window_Thread() { return State().thread.load(std::memory_order_acquire) == std::this_thread::get_id(); }

bool Video_Running() {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    return ui.video_running;
}

void Wake_Window_Thread() {
    Window_Thread_State& ui = State();
    int wake_fd = -1;
    {
        Mutex_Lock hold(ui.lock);
        ui.changed.notify_all();
        wake_fd = ui.wake_fd;
    }
    if (wake_fd < 0) return;
    const uint64_t one = 1;
    // A full counter (never, in practice) means a wake-up is pending anyway.
    [[maybe_unused]] const ssize_t written = write(wake_fd, &one, sizeof one);
}

void Watch_Display(SDL_Window* window) {
    const int fd = Display_Connection_Fd(window);
    if (fd < 0) return;
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    ui.display_fd = fd;
}

bool Run_On_Window_Thread(HWND window, const std::function<void()>& work) {
    if (window != nullptr ? On_Thread_Of(window) : On_Window_Thread()) {
        work();
        return true;
    }
    // The window's thread may need any lock of the program's to run the
    // work (a paint takes the screen objects' and the pictures'): a thread
    // that held one while it waited here would wait for ever.
    locks::Check_None_Held_Before_Waiting("work sent to the window's thread");
    Window_Thread_State& ui = State();
    Sent_Work item;
    item.window = window;
    item.work = &work;
    {
        Mutex_Lock hold(ui.lock);
        const bool no_window_thread = ui.thread.load() == std::thread::id{};
        if (no_window_thread || ui.loop_ended || (window != nullptr && window->destroyed)) return false;
        ui.sent.push_back(&item);
    }
    Wake_Window_Thread();
    Mutex_Lock hold(ui.lock);
    ui.changed.wait(hold, [&]() REQUIRES(ui.lock) {
        return item.done || (!item.running && (ui.loop_ended || (window != nullptr && window->destroyed)));
    });
    if (!item.done) {
        auto queued = std::find(ui.sent.begin(), ui.sent.end(), &item);
        if (queued != ui.sent.end()) ui.sent.erase(queued);
    }
    return item.done;
}

namespace {

void Queue(Window_Thread_State& ui, HWND window, UINT message, WPARAM wparam, LPARAM lparam) REQUIRES(ui.lock) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wparam;
    m.lParam = lparam;
    m.time = static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
    ui.posted.push_back(m);
    ui.last_is_pointer_move = false;
}

}  // namespace

void Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    Queue(ui, window, message, wparam, lparam);
}

void Post_Pointer_Move(HWND window, int x, int y) {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    if (ui.last_is_pointer_move && !ui.posted.empty() && ui.posted.back().hwnd == window) {
        ui.posted.back().lParam = MAKELPARAM(x, y);
        return;
    }
    Queue(ui, window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    ui.last_is_pointer_move = true;
}

}  // namespace windowing

namespace {

enum class Found { message, quit, nothing };

// One look for a message: work sent by other threads is run, input taken in
// and due pictures presented on the way. A posted message, else the quit
// message (if taken), else a paint. wait: the milliseconds until the next
// picture falls due.
Found Look_For_Message(MSG& message, bool take_quit, uint64_t& wait) {
    Window_Thread_State& ui = State();
    Run_Sent_Work();
    const bool video = windowing::Video_Running() && windowing::On_Window_Thread();
    SDL_Event event;
    if (video)
        while (SDL_PollEvent(&event)) windowing::Translate_Event(event);
    windowing::Apply_Titles();
    wait = video ? windowing::Present_Due_Windows(100) : 10;
    {
        Mutex_Lock hold(ui.lock);
        if (!ui.posted.empty()) {
            message = ui.posted.front();
            ui.posted.pop_front();
            return Found::message;
        }
        if (ui.quit_posted && take_quit) {
            ui.quit_posted = false;
            message = MSG{};
            message.message = WM_QUIT;
            message.wParam = static_cast<WPARAM>(ui.quit_code);
            return Found::quit;
        }
        if (ui.quit_posted) return Found::nothing;
    }
    if (HWND window = Window_Needing_Paint()) {
        message = MSG{};
        message.hwnd = window;
        message.message = WM_PAINT;
        return Found::message;
    }
    return Found::nothing;
}

}  // namespace

bool testing_hooks::Take_Waiting_Message(MSG& message) {
    windowing::Start_Window_Thread();
    uint64_t wait = 0;
    return Look_For_Message(message, false, wait) == Found::message;
}

namespace windowing {

bool Next_Message(MSG& message) {
    Start_Window_Thread();
    Window_Thread_State& ui = State();
    {
        Mutex_Lock hold(ui.lock);
        ui.loop_ended = false;
    }
    for (;;) {
        uint64_t wait = 0;
        const Found found = Look_For_Message(message, true, wait);
        if (found != Found::nothing) return found == Found::message;
        const bool video = Video_Running() && On_Window_Thread();
        // Nothing to do: sleep until input, another thread's request or the
        // next picture due on the screen.
        int display_fd = -1;
        int wake_fd = -1;
        {
            Mutex_Lock hold(ui.lock);
            if (!ui.sent.empty()) continue;
            if (!video || ui.display_fd < 0 || ui.wake_fd < 0) {
                ui.changed.wait_for(hold, std::chrono::milliseconds(std::min<uint64_t>(wait, 5)));
                continue;
            }
            display_fd = ui.display_fd;
            wake_fd = ui.wake_fd;
        }
        Sleep_On_Display(display_fd, wake_fd, wait);
    }
}

void End_Of_Loop() {
    Window_Thread_State& ui = State();
    {
        Mutex_Lock hold(ui.lock);
        ui.loop_ended = true;
        ui.sent.clear();  // their waiters see the loop has ended and give up
        ui.changed.notify_all();
    }
    Close_All_Message_Boxes();
}

HWND Keep_Window(std::unique_ptr<HWND__> window) {
    HWND handle = window.get();
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    ui.windows.push_back(std::move(window));
    return handle;
}

bool Is_Live(HWND window) {
    if (window == nullptr) return false;
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    for (const auto& candidate : ui.windows)
        if (candidate.get() == window) return !window->destroyed;
    return false;
}

void Mark_Destroyed(HWND window) {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    window->destroyed = true;
    window->visible = false;
    ui.changed.notify_all();  // threads waiting on this window are released
}

HWND By_Sdl_Id(uint32_t id) {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    for (const auto& window : ui.windows)
        if (window->sdl_id == id && !window->destroyed && window->sdl != nullptr) return window.get();
    return nullptr;
}

std::vector<HWND> Live_Windows_Where(const std::function<bool(const HWND__&)>& test) {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    std::vector<HWND> found;
    for (const auto& window : ui.windows)
        if (!window->destroyed && test(*window)) found.push_back(window.get());
    return found;
}

}  // namespace windowing

// ---------------------------------------------------------------- the system's calls

void PostQuitMessage(int exit_code) {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    ui.quit_posted = true;
    ui.quit_code = exit_code;
}

uint32_t testing_hooks::Sdl_Window_Id(HWND window) { return windowing::Is_Live(window) ? window->sdl_id : 0; }

int testing_hooks::Waiting_Senders() {
    Window_Thread_State& ui = State();
    Mutex_Lock hold(ui.lock);
    return static_cast<int>(ui.sent.size());
}
