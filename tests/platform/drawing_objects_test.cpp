// What the drawing calls make and what they release: the bitmaps, brushes
// and contexts alive before and after each thing the program does again and
// again (a paint, a resize, an export, a picture replaced, a network shown),
// counted as the system counts a process's drawing objects.
#include "app/main_window.h"
#include "platform.h"
#include "platform_testing.h"
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_bitmap.h"
#include "screen/on_screen_object_manager.h"
#include "support/headless_network.h"
#include "support/pictures.h"
#include "support/registered_object.h"
#include "support/temporary_directory.h"
#include "support/test_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <thread>

namespace {

using testing_hooks::Live_Drawing_Objects;

// Each call that makes an object counts it until the call that deletes it
// succeeds; a refused delete leaves it counted, and a context's deletion
// lets go of what was selected into it.
TEST(Drawing_Objects, EachIsCountedFromItsMakingUntilItsDeletionSucceeds) {
    const int at_start = Live_Drawing_Objects();
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC memory = CreateCompatibleDC(display);
    HBITMAP compatible = CreateCompatibleBitmap(display, 8, 4);
    HBITMAP empty = CreateCompatibleBitmap(display, 0, 0);  // 1 by 1, but made all the same
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(display, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(Live_Drawing_Objects(), at_start + 6);

    HGDIOBJ stock_bitmap = SelectObject(memory, section);
    HGDIOBJ stock_brush = SelectObject(memory, brush);
    EXPECT_FALSE(DeleteObject(section));
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(Live_Drawing_Objects(), at_start + 6);
    // Stock objects are not the program's: deleting them changes nothing.
    DeleteObject(stock_bitmap);
    DeleteObject(stock_brush);
    EXPECT_EQ(Live_Drawing_Objects(), at_start + 6);

    // A failed call makes nothing.
    EXPECT_EQ(CreateCompatibleBitmap(display, -1, 4), nullptr);
    info.bmiHeader.biBitCount = 7;
    EXPECT_EQ(CreateDIBSection(display, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(Live_Drawing_Objects(), at_start + 6);

    EXPECT_TRUE(DeleteDC(memory));  // lets go of the section and the brush
    EXPECT_TRUE(DeleteObject(section));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(compatible));
    EXPECT_TRUE(DeleteObject(empty));
    EXPECT_TRUE(DeleteDC(display));
    EXPECT_EQ(Live_Drawing_Objects(), at_start);
}

// A brush selected into two contexts stays until both have let it go.
TEST(Drawing_Objects, ABrushSelectedIntoTwoContextsIsHeldUntilBothLetItGo) {
    const int at_start = Live_Drawing_Objects();
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    SelectObject(first, brush);
    HGDIOBJ stock = SelectObject(second, brush);
    DeleteDC(first);
    EXPECT_FALSE(DeleteObject(brush));
    SelectObject(second, stock);
    EXPECT_TRUE(DeleteObject(brush));
    DeleteDC(second);
    EXPECT_EQ(Live_Drawing_Objects(), at_start);
}

int paints = 0;

// The program's own window procedure, counting its paints, but for ending
// the test's message loop when the window goes.
LRESULT CALLBACK Main_Window_Counting_Paints(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) return 0;
    if (message == WM_PAINT) ++paints;
    return Main_Window_Procedure(window, message, wparam, lparam);
}

// The program's window as it looks while training: the blue background, a
// captioned picture, and a picture's menu open with its text.
class Main_Window_Objects : public testing::Test {
protected:
    void SetUp() override {
        paints = 0;
        background.object.colour = RGB(0, 0, 255);
        panel.object.Setup(30, 20);
        panel.object.caption = "Weightings that connect layer 0 to layer 1: 30X20";
        panel.object.show_caption = true;
        Paint_Picture(panel.object.picture, [](int x, int y) { return RGB(x, y, 7); });
        Process_Screen_Object_Manager().Dispatch_Mouse_Event(window.Handle(), Right_Button_Up, 110, 110);
        ASSERT_TRUE(panel.object.menu.active);
        Pump_Waiting_Messages();
        paints = 0;
    }

    Test_Window window{Main_Window_Counting_Paints, 500, 400};
    Registered<On_Screen_Object_Background> background{window.Handle()};
    Registered<On_Screen_Object_Bitmap> panel{window.Handle()};
};

TEST_F(Main_Window_Objects, APaintReleasesEverythingItMade) {
    const int before = Live_Drawing_Objects();
    for (int k = 1; k <= 3; ++k) {
        InvalidateRect(window.Handle(), nullptr, TRUE);
        UpdateWindow(window.Handle());
        EXPECT_EQ(paints, k);
        EXPECT_EQ(Live_Drawing_Objects(), before) << "after paint " << k;
    }
}

TEST_F(Main_Window_Objects, AResizeAndItsPaintReleaseEverythingTheyMade) {
    const int before = Live_Drawing_Objects();
    SDL_Window* shown = SDL_GetWindowFromID(testing_hooks::Sdl_Window_Id(window.Handle()));
    ASSERT_NE(shown, nullptr);
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{300, 200}}) {
        const int paints_before = paints;
        SDL_SetWindowSize(shown, width, height);
        Pump_Waiting_Messages();
        RECT client{};
        GetClientRect(window.Handle(), &client);
        EXPECT_EQ(client.right, width);
        EXPECT_EQ(paints, paints_before + 1);
        EXPECT_EQ(Live_Drawing_Objects(), before) << width << " by " << height;
    }
}

TEST_F(Main_Window_Objects, SavingThePictureReleasesEverythingItMade) {
    Temporary_Directory here;
    const int before = Live_Drawing_Objects();
    panel.object.picture.file_name = (here.Path() / "picture.bmp").string();
    ASSERT_TRUE(panel.object.picture.Save_BMP());
    EXPECT_EQ(Live_Drawing_Objects(), before);
    // "Output Bitmap" from the picture's menu.
    Process_Screen_Object_Manager().Dispatch_Mouse_Event(window.Handle(), Mouse_Move, 115, 130);
    Process_Screen_Object_Manager().Dispatch_Mouse_Event(window.Handle(), Left_Button_Up, 115, 130);
    EXPECT_EQ(panel.object.menu.selected_index, 1);
    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(here.Path())) saved += entry.path().extension() == ".bmp";
    EXPECT_EQ(saved, 2);
    Pump_Waiting_Messages();
    EXPECT_EQ(Live_Drawing_Objects(), before);
}

TEST(Drawing_Objects, APictureHoldsTwoBitmapsAtMostAndReleasesThemWhenItGoes) {
    const int at_start = Live_Drawing_Objects();
    {
        Picture_File picture;
        for (const auto& [width, height] : {std::pair{10, 10}, std::pair{20, 5}, std::pair{0, 0}, std::pair{3, 3}}) {
            picture.bitmap.Replace(width, height);
            for (int k = 0; k < 3; ++k) Paint_Picture(picture, [k](int, int) { return RGB(k, k, k); });
            EXPECT_EQ(Live_Drawing_Objects(), at_start + 2) << width << " by " << height;
        }
    }
    EXPECT_EQ(Live_Drawing_Objects(), at_start);
}

TEST(Drawing_Objects, ANetworkShownAgainAndAgainAndThenDestroyedLeavesNothing) {
    const int at_start = Live_Drawing_Objects();
    int while_shown = 0;
    {
        Headless_Network network;
        network.stack.Add_Layer(28, 28);
        network.stack.Add_Layer(4, 3);
        network.stack.Add_Layer(5, 2);
        network.stack.Show_All();
        while_shown = Live_Drawing_Objects();
        for (int k = 0; k < 3; ++k) network.stack.Show_All();
        EXPECT_EQ(Live_Drawing_Objects(), while_shown);
    }
    EXPECT_GT(while_shown, at_start);
    EXPECT_EQ(Live_Drawing_Objects(), at_start);
}

TEST(Drawing_Objects, AMessageBoxReleasesWhatItsPaintsMade) {
    Test_Window window(DefWindowProcA);
    Pump_Waiting_Messages();
    const int before = Live_Drawing_Objects();
    auto answer = std::async(std::launch::async, [] { return MessageBoxA(nullptr, "Training data not found", "", MB_OK); });
    ASSERT_TRUE(Pump_Messages_Until([] { return !testing_hooks::Open_Message_Boxes().empty(); }));
    const HWND box = testing_hooks::Open_Message_Boxes().at(0).window;
    for (int k = 0; k < 3; ++k) {
        InvalidateRect(box, nullptr, TRUE);
        UpdateWindow(box);
        EXPECT_EQ(Live_Drawing_Objects(), before) << "after paint " << k;
    }
    PostMessageA(box, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Pump_Messages_Until([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), IDOK);
    EXPECT_EQ(Live_Drawing_Objects(), before);
}

}  // namespace
