// A picture painted and published on one thread while the window's thread
// paints it: every paint shows one whole picture, never parts of two. Under
// ThreadSanitizer this also shows that the shown bitmap is only looked at
// under the picture's lock. (A save while another thread publishes:
// bmp_export_tests.cpp.)
#include "screen/on_screen_object_bitmap.h"
#include "screen/on_screen_object_manager.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr int width = 40;
constexpr int height = 30;

On_Screen_Object_Manager* painted_manager = nullptr;
On_Screen_Object_Bitmap* painted_panel = nullptr;
int paints = 0;
int torn = 0;
COLORREF last_shown = CLR_INVALID;

// Paints the window's objects, then looks at what the paint put where the
// picture stands: one colour all over.
LRESULT CALLBACK Checking_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_PAINT || painted_manager == nullptr) return DefWindowProcA(window, message, wparam, lparam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    painted_manager->Paint_Window(window, dc);
    const RECT& at = painted_panel->bounds;
    const COLORREF first = GetPixel(dc, at.left, at.top);
    bool whole = true;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) whole = whole && GetPixel(dc, at.left + x, at.top + y) == first;
    torn += whole ? 0 : 1;
    last_shown = first;
    ++paints;
    EndPaint(window, &paint);
    return 0;
}

TEST(Screen_Picture_Sharing, EveryPaintWhileAnotherThreadPublishesShowsOneWholePicture) {
    Test_Window window(Checking_Procedure, 300, 300);
    On_Screen_Object_Manager manager;
    On_Screen_Object_Bitmap panel;
    panel.Setup(width, height);
    painted_manager = &manager;
    painted_panel = &panel;
    manager.Add_Object(window.Handle(), &panel);
    Pump_Waiting_Messages();
    paints = 0;

    constexpr int frames = 400;
    std::atomic<bool> published_all{false};
    std::thread painter([&] {
        for (int frame = 1; frame <= frames; ++frame) {
            // Written straight into the bitmap being painted, as the worker does.
            const uint32_t pixel = 0x00010000u * static_cast<uint32_t>(frame % 256) + static_cast<uint32_t>(frame / 256);
            panel.picture.bitmap.Begin_Painting();
            uint32_t* pixels = panel.picture.bitmap.Painting_Pixels();
            for (int k = 0; k < width * height; ++k) pixels[k] = pixel;
            panel.picture.bitmap.Publish(static_cast<uint64_t>(frame));
            InvalidateRect(window.Handle(), nullptr, FALSE);
            // Now and then it waits for the paint, as the worker's pace does.
            if (frame % 20 == 0) UpdateWindow(window.Handle());
        }
        published_all = true;
    });
    ASSERT_TRUE(Pump_Messages_Until([&] { return published_all.load(); }, std::chrono::minutes(2)));
    painter.join();
    Pump_Waiting_Messages();
    EXPECT_EQ(torn, 0);
    EXPECT_GE(paints, frames / 20);
    EXPECT_EQ(last_shown, RGB(frames % 256, 0, frames / 256));

    {
        On_Screen_Object_Manager::Objects_Lock objects(manager);
        manager.Find_Window(objects, window.Handle())->Remove(&panel);
    }
    painted_manager = nullptr;
    painted_panel = nullptr;
}

}  // namespace
