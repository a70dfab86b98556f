// The main window's procedure: mouse messages become the manager's events,
// and a paint shows the window's objects over the whole client area.
#include "app/main_window.h"

#include "platform_testing.h"
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_manager.h"
#include "support/recording_object.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// An object registered with the process's manager for the window while it lives.
template <typename Object>
struct Registered {
    template <typename... Arguments>
    explicit Registered(HWND for_window, Arguments&&... arguments)
        : window(for_window), object(std::forward<Arguments>(arguments)...) {
        Process_Screen_Object_Manager().Add_Object(window, &object);
    }
    ~Registered() {
        auto objects = Process_Screen_Object_Manager().Lock_Objects();
        Process_Screen_Object_Manager().Find_Window(objects, window)->Remove(&object);
    }
    HWND window;
    Object object;
};

// The main window's procedure, but for ending the test's message loop
// when the window goes.
LRESULT CALLBACK Test_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) return 0;
    return Main_Window_Procedure(window, message, wparam, lparam);
}

// The position's low 16 bits are x and the high 16 bits y, both unsigned.
TEST(Main_Window_Procedure, MouseMessagesBecomeTheirEventsWithTheUnsignedPointOfTheirPosition) {
    Test_Window window(Test_Procedure);
    Event_Log seen;
    Registered<Recording_Object> recorder(window.Handle(), "recorder", seen);
    recorder.object.hits_everywhere = true;
    const UINT messages[] = {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP};
    for (UINT message : messages)
        EXPECT_EQ(Main_Window_Procedure(window.Handle(), message, 0, MAKELPARAM(40000, 50001)), 0);
    EXPECT_EQ(Main_Window_Procedure(window.Handle(), WM_COMMAND, 0, MAKELPARAM(3, 4)), 0);
    const Event_Log expected = {{"recorder", Mouse_Move, 40000, 50001},
                                {"recorder", Right_Button_Down, 40000, 50001},
                                {"recorder", Right_Button_Up, 40000, 50001},
                                {"recorder", Left_Button_Down, 40000, 50001},
                                {"recorder", Left_Button_Up, 40000, 50001}};
    EXPECT_EQ(seen, expected);
}

// The off-screen picture reaches the screen whole, to the last column and row.
TEST(Main_Window_Procedure, APaintShowsTheObjectsOverTheWholeClientArea) {
    Test_Window window(Test_Procedure, 320, 200);
    Registered<On_Screen_Object_Background> background(window.Handle());
    background.object.colour = RGB(0, 0, 255);
    InvalidateRect(window.Handle(), nullptr, TRUE);
    testing_hooks::Screen_Picture screen;
    ASSERT_TRUE(Pump_Messages_Until([&] {
        screen = testing_hooks::Read_Screen(window.Handle());
        return screen.width == 320 && screen.height == 200 && screen.At(0, 0) == 0x0000FFu;
    }));
    int other = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) other += screen.At(x, y) != 0x0000FFu;
    EXPECT_EQ(other, 0);
}

}  // namespace
