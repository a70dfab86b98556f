#include "support/counting_window.h"

#include <map>

namespace {

std::map<HWND, int> paint_counts;
On_Screen_Object_Manager* painting_manager = nullptr;

LRESULT CALLBACK Counting_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        ++paint_counts[window];
        if (painting_manager != nullptr) painting_manager->Paint_Window(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

Counting_Window::Counting_Window(On_Screen_Object_Manager* manager) : window(Counting_Procedure) {
    painting_manager = manager;
    // Let the paint that showing the window asked for happen now, so that
    // the count starts from a quiet window.
    UpdateWindow(window.Handle());
    paint_counts[window.Handle()] = 0;
}

Counting_Window::~Counting_Window() {
    painting_manager = nullptr;
    paint_counts.erase(window.Handle());
}

int Counting_Window::Paints() const { return paint_counts[window.Handle()]; }
