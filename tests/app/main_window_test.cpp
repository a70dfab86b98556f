// The main window's procedure: mouse messages become the manager's events,
// and a paint shows the window's objects over the whole client area.
#include "app/main_window.h"

#include "platform_testing.h"
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_bitmap.h"
#include "screen/on_screen_object_manager.h"
#include "support/recording_object.h"
#include "support/registered_object.h"
#include "support/temporary_directory.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <regex>
#include <thread>
#include <utility>
#include <vector>

namespace {

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

// "Output Bitmap" that cannot save: once the mouse event is over, a box
// names the file with its folder in full and the reason; nothing is left of
// the file, and the window goes on.
TEST(Main_Window_Procedure, AnExportThatCannotBeSavedIsToldWithTheFullPathAndWhy) {
    namespace fs = std::filesystem;
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    Temporary_Directory here;
    // Whatever second names the file, it is written through a device that
    // is always full.
    const int64_t now = std::time(nullptr);
    for (int64_t t = now - 1; t <= now + 5; ++t) fs::create_symlink("/dev/full", std::to_string(t) + ".bmp.partial");
    Test_Window window(Test_Procedure);
    Registered<On_Screen_Object_Bitmap> panel(window.Handle());
    panel.object.Setup(28, 28);

    Main_Window_Procedure(window.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(110, 110));
    Main_Window_Procedure(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(115, 130));  // over "Output Bitmap"
    Main_Window_Procedure(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(115, 130));
    EXPECT_EQ(panel.object.menu.selected_index, 1);
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty()) << "no box inside the mouse event's handling";

    // The user reads the box and dismisses it.
    std::vector<testing_hooks::Message_Box_View> seen;
    std::atomic<bool> dismissed{false};
    std::thread user([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (seen.empty() && std::chrono::steady_clock::now() < until) {
            seen = testing_hooks::Open_Message_Boxes();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        for (const auto& box : seen) PostMessageA(box.window, WM_CLOSE, 0, 0);
        dismissed = true;
    });
    EXPECT_TRUE(Pump_Messages_Until([&] { return dismissed && testing_hooks::Open_Message_Boxes().empty(); }));
    user.join();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "layerdream");
    const std::string prefix = "Could not save " + here.Path().string() + "/";
    const std::string& text = seen[0].text;
    ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    std::smatch file;
    const std::string rest = text.substr(prefix.size());
    ASSERT_TRUE(std::regex_match(rest, file, std::regex(R"((\d+)\.bmp: No space left on device)"))) << text;
    // The link the save wrote through is gone with the partial file; no picture is there.
    EXPECT_FALSE(fs::exists(here.Path() / (file[1].str() + ".bmp.partial")));
    int pictures = 0;
    for (const auto& entry : fs::directory_iterator(here.Path())) pictures += entry.path().extension() == ".bmp";
    EXPECT_EQ(pictures, 0);
}

}  // namespace
