// A real window that counts its paints, for tests of what asks for a repaint.
#pragma once

#include "screen/on_screen_object_manager.h"
#include "support/test_window.h"

// As the program's window does, its paint draws the objects the given
// manager holds for it (none without a manager). A repaint asked for on the
// thread that made it is carried out before the request returns. One at a
// time.
class Counting_Window {
public:
    explicit Counting_Window(On_Screen_Object_Manager* manager = nullptr);
    ~Counting_Window();
    Counting_Window(const Counting_Window&) = delete;
    Counting_Window& operator=(const Counting_Window&) = delete;

    HWND Handle() const { return window.Handle(); }
    // The paints since the window was made and first painted.
    int Paints() const;

private:
    Test_Window window;
};
