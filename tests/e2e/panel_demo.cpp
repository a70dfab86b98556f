// A small program for end-to-end tests of the picture panels: a blue window
// with three panels showing known pictures, which can be moved, resized and
// exported like the network's pictures.
//
//   panel A: 28 × 28 at (60, 80),  pixel (x, y) = RGB(9x, 9y, 4(x + y))
//   panel B: 10 × 20 at (200, 80), black and white squares of 5 pixels
//   panel C: 60 × 40 at (300, 240), grey level 3x + y
//
// With the argument "animate", a second thread then repaints panel C as fast
// as it can, 300 times in one colour after another, waiting for each repaint
// as the program's worker does, then paints it RGB(12, 34, 56) and sets the
// title to "panel demo - still".
#include "app/main_window.h"
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_bitmap.h"
#include "screen/on_screen_object_manager.h"

#include <cstring>
#include <functional>
#include <thread>

namespace {

LRESULT CALLBACK Demo_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        Paint_Main_Window(window);
        return 0;
    }
    return Main_Window_Procedure(window, message, wparam, lparam);
}

void Paint(On_Screen_Object_Bitmap& panel, const std::function<COLORREF(int, int)>& colour) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, panel.picture.bitmap.Begin_Painting());
    for (int x = 0; x < panel.picture.bitmap.Width(); ++x)
        for (int y = 0; y < panel.picture.bitmap.Height(); ++y) SetPixel(dc, x, y, colour(x, y));
    SelectObject(dc, previous);
    DeleteDC(dc);
    panel.picture.bitmap.Publish();
}

void Place(On_Screen_Object_Bitmap& panel, int left, int top, const char* caption) {
    panel.bounds = RECT{left, top, left + panel.picture.bitmap.Width(), top + panel.picture.bitmap.Height()};
    panel.caption = caption;
    panel.show_caption = true;
}

}  // namespace

void Animate(HWND window, On_Screen_Object_Bitmap& panel) {
    auto paint_one_colour = [&](COLORREF colour) {
        Picture_File& picture = panel.picture;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, picture.bitmap.Begin_Painting());
        for (int x = 0; x < picture.bitmap.Width(); ++x)
            for (int y = 0; y < picture.bitmap.Height(); ++y) SetPixel(dc, x, y, colour);
        SelectObject(dc, previous);
        DeleteDC(dc);
        picture.bitmap.Publish();
        Repaint_Now(window);
    };
    for (int frame = 0; frame < 300; ++frame) paint_one_colour(RGB(frame % 256, 255 - frame % 256, 128));
    paint_one_colour(RGB(12, 34, 56));
    SetWindowTextA(window, "panel demo - still");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = Demo_Procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = "layerdream panel demo";
    RegisterClassExA(&window_class);
    HWND window = CreateWindowExA(0, "layerdream panel demo", "panel demo", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                  800, 600, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);

    On_Screen_Object_Manager& manager = Process_Screen_Object_Manager();
    On_Screen_Object_Background background;
    background.colour = 0x00FF0000;
    manager.Add_Object(window, &background);

    On_Screen_Object_Bitmap a, b, c;
    a.Setup(28, 28);
    b.Setup(10, 20);
    c.Setup(60, 40);
    Paint(a, [](int x, int y) { return RGB(9 * x, 9 * y, 4 * (x + y)); });
    Paint(b, [](int x, int y) { return ((x / 5) + (y / 5)) % 2 == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0); });
    Paint(c, [](int x, int y) { return RGB(3 * x + y, 3 * x + y, 3 * x + y); });
    Place(a, 60, 80, "panel A");
    Place(b, 200, 80, "panel B");
    Place(c, 300, 240, "panel C");
    manager.Add_Object(window, &a);
    manager.Add_Object(window, &b);
    manager.Add_Object(window, &c);

    std::thread animation;
    if (command_line != nullptr && std::strstr(command_line, "animate") != nullptr)
        animation = std::thread(Animate, window, std::ref(c));

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (animation.joinable()) animation.join();
    On_Screen_Object_Manager::Objects_Lock objects(manager);
    if (Window_Object_List* list = manager.Find_Window(objects, window)) {
        for (On_Screen_Object* object : {static_cast<On_Screen_Object*>(&a), static_cast<On_Screen_Object*>(&b),
                                         static_cast<On_Screen_Object*>(&c), static_cast<On_Screen_Object*>(&background)})
            list->Remove(object);
        list->Remove(&a.menu);
        list->Remove(&b.menu);
        list->Remove(&c.menu);
    }
    return static_cast<int>(message.wParam);
}
