#include "app/main_window.h"

#include "screen/export_failure.h"
#include "screen/on_screen_object_manager.h"

HINSTANCE Program_Instance = nullptr;
HWND Main_Window = nullptr;

ATOM Register_Main_Window_Class(HINSTANCE instance) {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;  // a new size repaints the whole window
    window_class.lpfnWndProc = Main_Window_Procedure;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    // The program's icon, where its executable carries one (the Windows build).
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(Program_Icon_Resource));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = nullptr;  // the background object paints all of it
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = Main_Window_Class_Name;
    window_class.hIconSm = nullptr;
    return RegisterClassExA(&window_class);
}

HWND Create_Main_Window(HINSTANCE instance) {
    return CreateWindowExA(WS_EX_LEFT, Main_Window_Class_Name, Main_Window_Title, WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
}

namespace {

void Dispatch(HWND window, Event_Code code, LPARAM lparam) {
    // x is the low 16 bits of the position and y the high 16 bits, both unsigned.
    Process_Screen_Object_Manager().Dispatch_Mouse_Event(window, code, LOWORD(lparam), HIWORD(lparam));
}

}  // namespace

void Paint_Main_Window(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    HDC off_screen = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(off_screen, picture);
    Process_Screen_Object_Manager().Paint_Window(window, off_screen);
    BitBlt(screen, 0, 0, width, height, off_screen, 0, 0, SRCCOPY);
    // The picture is let go by its context before it is deleted, as a
    // bitmap still selected into a context cannot be deleted.
    SelectObject(off_screen, previous);
    DeleteObject(picture);
    DeleteDC(off_screen);
    EndPaint(window, &paint);
}

LRESULT CALLBACK Main_Window_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_MOUSEMOVE:
            Dispatch(window, Mouse_Move, lparam);
            return 0;
        case WM_RBUTTONDOWN:
            Dispatch(window, Right_Button_Down, lparam);
            return 0;
        case WM_RBUTTONUP:
            Dispatch(window, Right_Button_Up, lparam);
            return 0;
        case WM_LBUTTONDOWN:
            Dispatch(window, Left_Button_Down, lparam);
            return 0;
        case WM_LBUTTONUP:
            Dispatch(window, Left_Button_Up, lparam);
            return 0;
        case WM_PAINT:
            Paint_Main_Window(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            return 0;
        case Export_Failed_Message:
            Show_Export_Failure(lparam);
            return 0;
        default:
            return DefWindowProcA(window, message, wparam, lparam);
    }
}
