// The system's calls that take, hand out, post and send messages, over the
// window thread's queue (window_thread.cpp). A send from another thread waits
// until the window's thread has run the window procedure.

#include "platform.h"
#include "windowing.h"

BOOL GetMessageA(LPMSG message, HWND, UINT, UINT) {
    if (message == nullptr) return -1;
    if (windowing::Next_Message(*message)) return TRUE;
    windowing::End_Of_Loop();
    return FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* message) {
    if (message == nullptr || !windowing::Is_Live(message->hwnd)) return 0;
    return message->hwnd->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (window != nullptr && !windowing::Is_Live(window)) return FALSE;
    windowing::Post(window, message, wparam, lparam);
    if (!windowing::On_Window_Thread()) windowing::Wake_Window_Thread();
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!windowing::Is_Live(window)) return 0;
    LRESULT result = 0;
    windowing::Run_On_Window_Thread(window, [&] { result = window->procedure(window, message, wparam, lparam); });
    return result;
}
