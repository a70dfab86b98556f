// MessageBoxA: a small window of its own with the text and an OK button,
// drawn with the raster on the window thread. It blocks only the thread that
// asked for it; the program's window keeps painting and answering the mouse.
#include "platform_testing.h"
#include "text.h"
#include "windowing.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr const char* box_class = "#32770";
constexpr int margin = 20;
constexpr int button_width = 80;
constexpr int button_height = 26;

struct Box_State {
    std::string text;
    std::string title;
    Mutex lock;
    Condition finished_changed;
    bool finished GUARDED_BY(lock) = false;
    int result GUARDED_BY(lock) = 0;
};

RECT Button_Rect(HWND box) {
    RECT client;
    GetClientRect(box, &client);
    const int left = (client.right - button_width) / 2;
    const int top = client.bottom - margin / 2 - button_height;
    return RECT{left, top, left + button_width, top + button_height};
}

Box_State* State_Of(HWND box) { return static_cast<Box_State*>(box->builtin_state.get()); }

void Finish(HWND box, int result) {
    std::shared_ptr<void> keep = box->builtin_state;  // the state outlives the window's hold
    Box_State* state = State_Of(box);
    DestroyWindow(box);
    Mutex_Lock hold(state->lock);
    state->result = result;
    state->finished = true;
    state->finished_changed.notify_all();
}

void Paint_Box(HWND box) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    RECT client;
    GetClientRect(box, &client);
    HBRUSH face = CreateSolidBrush(RGB(240, 240, 240));
    HBRUSH edge = CreateSolidBrush(RGB(112, 112, 112));
    HBRUSH button_face = CreateSolidBrush(RGB(225, 225, 225));
    FillRect(dc, &client, face);
    SetBkMode(dc, TRANSPARENT);
    const std::string& message = State_Of(box)->text;
    RECT text_box{margin, margin, client.right - margin, client.bottom};
    DrawTextA(dc, message.c_str(), static_cast<int>(message.size()), &text_box, 0);
    const RECT button = Button_Rect(box);
    FillRect(dc, &button, edge);
    const RECT inside{button.left + 1, button.top + 1, button.right - 1, button.bottom - 1};
    FillRect(dc, &inside, button_face);
    const text::Extent ok = text::Measure("OK", 2);
    RECT label{button.left + (button_width - ok.width) / 2, button.top + (button_height - ok.height) / 2,
               button.right, button.bottom};
    DrawTextA(dc, "OK", 2, &label, 0);
    DeleteObject(face);
    DeleteObject(edge);
    DeleteObject(button_face);
    EndPaint(box, &paint);
}

LRESULT CALLBACK Box_Procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT:
            Paint_Box(box);
            return 0;
        case WM_LBUTTONUP: {
            const RECT button = Button_Rect(box);
            const int x = static_cast<int16_t>(LOWORD(lparam));
            const int y = static_cast<int16_t>(HIWORD(lparam));
            if (x >= button.left && x < button.right && y >= button.top && y < button.bottom) Finish(box, IDOK);
            return 0;
        }
        case WM_KEYDOWN:
            if (wparam == VK_RETURN || wparam == VK_ESCAPE || wparam == VK_SPACE) Finish(box, IDOK);
            return 0;
        case WM_CLOSE:
            Finish(box, IDOK);
            return 0;
        default:
            return DefWindowProcA(box, message, wparam, lparam);
    }
}

// Opens the box window on the window thread. False if no window could be made.
bool Open_Box(const std::shared_ptr<Box_State>& state) {
    const text::Extent extent = text::Measure(state->text.c_str(), static_cast<int>(state->text.size()));
    const int width = std::max(extent.width + 2 * margin, 240);
    const int height = extent.height + 2 * margin + button_height + margin / 2;
    HWND box = windowing::Create_Top_Level(box_class, state->title.c_str(), width, height, false, state);
    if (box == nullptr) return false;
    ShowWindow(box, SW_SHOW);
    return true;
}

}  // namespace

void windowing::Register_Message_Box_Class() {
    static std::once_flag once;
    std::call_once(once, [] { Register_Builtin_Class(box_class, Box_Procedure, Builtin_Kind::Dialog); });
}

void windowing::Close_All_Message_Boxes() {
    for (HWND box : Live_Windows(box_class)) Finish(box, 0);
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    windowing::Register_Message_Box_Class();
    auto state = std::make_shared<Box_State>();
    state->text = text != nullptr ? text : "";
    state->title = caption != nullptr ? caption : "";
    // Also on the standard error stream, for whoever runs the program from a terminal.
    std::fprintf(stderr, "layerdream: message box \"%s\": %s\n", state->title.c_str(), state->text.c_str());

    if (windowing::On_Window_Thread()) {
        if (!Open_Box(state)) return IDOK;
        // A modal loop: the thread's other windows go on working meanwhile.
        MSG message;
        const auto finished = [&] {
            Mutex_Lock hold(state->lock);
            return state->finished;
        };
        while (!finished()) {
            if (!windowing::Next_Message(message)) {
                PostQuitMessage(static_cast<int>(message.wParam));  // the outer loop ends too
                windowing::Close_All_Message_Boxes();
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Mutex_Lock hold(state->lock);
        return state->result;
    }

    bool opened = false;
    if (!windowing::Run_On_Window_Thread(nullptr, [&] { opened = Open_Box(state); })) return 0;
    if (!opened) return IDOK;
    Mutex_Lock hold(state->lock);
    state->finished_changed.wait(hold, [&]() REQUIRES(state->lock) { return state->finished; });
    return state->result;
}

std::vector<testing_hooks::Message_Box_View> testing_hooks::Open_Message_Boxes() {
    std::vector<Message_Box_View> boxes;
    for (HWND box : windowing::Live_Windows(box_class)) {
        if (Box_State* state = State_Of(box)) boxes.push_back(Message_Box_View{box, state->title, state->text});
    }
    return boxes;
}
