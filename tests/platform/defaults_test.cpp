// What an object holds when it is made: a memory context's one-pixel stock
// bitmap and white brush, a context's opaque background mode, and the cursor
// a window's class gives it when the pointer comes in.
#include "platform.h"
#include "platform_testing.h"
#include "support/canvas.h"
#include "support/test_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);

// A new memory context draws into a bitmap of one pixel and holds the
// white stock brush: until a bitmap of the program's is selected, a copy
// from it brings one pixel and drawing into it reaches no further.
TEST(Defaults, ANewMemoryContextHoldsAOnePixelBitmapAndTheWhiteBrush) {
    HDC fresh = CreateCompatibleDC(nullptr);
    EXPECT_NE(SetPixel(fresh, 0, 0, RGB(10, 20, 30)), CLR_INVALID);
    EXPECT_EQ(SetPixel(fresh, 1, 0, RGB(10, 20, 30)), CLR_INVALID);
    EXPECT_EQ(GetPixel(fresh, 0, 1), CLR_INVALID);
    Canvas target(4, 4, RGB(1, 1, 1));
    BitBlt(target.Dc(), 0, 0, 4, 4, fresh, 0, 0, SRCCOPY);
    EXPECT_EQ(target.Count(RECT{0, 0, 4, 4}, RGB(1, 1, 1)), 15);
    EXPECT_EQ(target.At(0, 0), GetPixel(fresh, 0, 0));

    HBRUSH mine = CreateSolidBrush(RGB(0, 0, 255));
    auto* stock = static_cast<HBRUSH>(SelectObject(fresh, mine));
    ASSERT_NE(stock, nullptr);
    RECT all{0, 0, 4, 4};
    FillRect(target.Dc(), &all, stock);
    EXPECT_EQ(target.Count(all, white), 16);
    SelectObject(fresh, stock);
    DeleteObject(mine);
    DeleteDC(fresh);
}

TEST(Defaults, ContextsStartWithAnOpaqueBackground) {
    HDC fresh = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetBkMode(fresh, TRANSPARENT), OPAQUE);
    DeleteDC(fresh);

    static int modes_when_painted = 0;
    static int paints = 0;
    Test_Window window([](HWND w, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
        if (message != WM_PAINT) return DefWindowProcA(w, message, wparam, lparam);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(w, &paint);
        modes_when_painted = SetBkMode(dc, TRANSPARENT);
        ++paints;
        EndPaint(w, &paint);
        return 0;
    });
    for (int k = 1; k <= 2; ++k) {
        InvalidateRect(window.Handle(), nullptr, TRUE);
        UpdateWindow(window.Handle());
        EXPECT_EQ(paints, k);
        EXPECT_EQ(modes_when_painted, OPAQUE) << "paint " << k << ": each paint's context is new";
    }
}

HCURSOR Cursor(LPCSTR name) { return LoadCursorA(nullptr, name); }

// A window whose class names a cursor shows it as the pointer moves in,
// before the window's procedure is given the move, where it may set another.
class Class_Cursor : public testing::Test {
protected:
    HWND Make_Window(const char* class_name, HCURSOR class_cursor, WNDPROC procedure) {
        WNDCLASSEXA window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.style = CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = procedure;
        window_class.hCursor = class_cursor;
        window_class.lpszClassName = class_name;
        EXPECT_NE(RegisterClassExA(&window_class), 0);
        HWND window = CreateWindowExA(0, class_name, "cursor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 200, 100,
                                      nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOW);
        Pump_Waiting_Messages();
        return window;
    }
    static void Move_Pointer_Into(HWND window, int x, int y) {
        SDL_Event motion{};
        motion.type = SDL_MOUSEMOTION;
        motion.motion.windowID = testing_hooks::Sdl_Window_Id(window);
        motion.motion.x = x;
        motion.motion.y = y;
        SDL_PushEvent(&motion);
        Pump_Waiting_Messages();
    }
    static LRESULT CALLBACK Setting_Its_Own(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_MOUSEMOVE) {
            // The class's cursor is already shown when the move arrives.
            seen_on_move = GetCursor();
            SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
            return 0;
        }
        return DefWindowProcA(window, message, wparam, lparam);
    }
    static inline HCURSOR seen_on_move = nullptr;
};

TEST_F(Class_Cursor, ThePointerComingInShowsTheClassCursor) {
    HWND window = Make_Window("layerdream hand class", Cursor(IDC_HAND), DefWindowProcA);
    SetCursor(Cursor(IDC_SIZENS));
    Move_Pointer_Into(window, 20, 30);
    EXPECT_EQ(GetCursor(), Cursor(IDC_HAND));
    EXPECT_EQ(testing_hooks::Cursor_Shape(GetCursor()), SDL_SYSTEM_CURSOR_HAND);
    DestroyWindow(window);
}

TEST_F(Class_Cursor, WithoutOneTheCursorStaysAsItWas) {
    HWND window = Make_Window("layerdream class without a cursor", nullptr, DefWindowProcA);
    SetCursor(Cursor(IDC_SIZENS));
    Move_Pointer_Into(window, 20, 30);
    EXPECT_EQ(GetCursor(), Cursor(IDC_SIZENS));
    DestroyWindow(window);
}

TEST_F(Class_Cursor, TheProcedureSetsItsOwnAfterTheClassCursor) {
    HWND window = Make_Window("layerdream arrow class", Cursor(IDC_ARROW), Setting_Its_Own);
    SetCursor(Cursor(IDC_SIZENS));
    Move_Pointer_Into(window, 20, 30);
    EXPECT_EQ(seen_on_move, Cursor(IDC_ARROW));
    EXPECT_EQ(GetCursor(), Cursor(IDC_SIZEWE));
    // Again: every move shows the class's cursor first.
    Move_Pointer_Into(window, 25, 30);
    EXPECT_EQ(seen_on_move, Cursor(IDC_ARROW));
    EXPECT_EQ(GetCursor(), Cursor(IDC_SIZEWE));
    DestroyWindow(window);
}

}  // namespace
