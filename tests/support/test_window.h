// Real windows for tests, on SDL's offscreen driver: a window whose
// procedure the test chooses, and a message loop run until a condition holds.
#pragma once

#include "platform.h"

#include <chrono>
#include <functional>

// A shown top-level window of the given class procedure (registered under a
// fresh class name). Destroyed with the object if still alive.
class Test_Window {
public:
    explicit Test_Window(WNDPROC procedure, int width = 400, int height = 300);
    ~Test_Window();
    Test_Window(const Test_Window&) = delete;
    Test_Window& operator=(const Test_Window&) = delete;

    HWND Handle() const { return window; }

private:
    HWND window;
};

// Runs the message loop of this thread until the condition holds (true) or
// the time runs out (false). Messages are dispatched as the program does.
bool Pump_Messages_Until(const std::function<bool()>& condition,
                         std::chrono::milliseconds longest = std::chrono::seconds(10));

// Dispatches every message that waits for this thread, paints included, and
// returns once none is left (a quit message is left waiting): whatever was
// asked of the window's thread so far has been done, without waiting on the
// clock. How many messages it dispatched.
int Pump_Waiting_Messages();

// Runs the message loop until it takes the quit message; its exit code, or
// -1 if the time ran out.
int Pump_Messages_Until_Quit(std::chrono::milliseconds longest = std::chrono::seconds(10));
