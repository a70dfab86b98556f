#include "screen/on_screen_object.h"

void Set_System_Cursor(LPCSTR cursor_name) { SetCursor(LoadCursorA(nullptr, cursor_name)); }

void Set_Arrow_Cursor() { Set_System_Cursor(IDC_ARROW); }

void Repaint_Now(HWND window) {
    // No window, nothing to repaint: to the system a null window would mean
    // every window on the desktop.
    if (window == nullptr) return;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}
