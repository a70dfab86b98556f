#include "support/test_window.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform_testing.h"
#endif

#include <atomic>
#include <string>
#include <thread>

Test_Window::Test_Window(WNDPROC procedure, int width, int height) {
    static int classes = 0;
    const std::string name = "layerdream test window " + std::to_string(++classes);
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = procedure;
    window_class.lpszClassName = name.c_str();
    RegisterClassExA(&window_class);
    window = CreateWindowExA(0, name.c_str(), "layerdream test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, width, height,
                             nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
}

Test_Window::~Test_Window() {
    if (IsWindow(window)) DestroyWindow(window);
}

namespace {

// Posts a harmless message now and then, so that GetMessageA returns and
// the condition is looked at again even when nothing else happens.
class Ticker {
public:
    Ticker() : thread([this] {
        while (!stop) {
            PostMessageA(nullptr, WM_NULL, 0, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }) {}
    ~Ticker() {
        stop = true;
        thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

}  // namespace

bool Pump_Messages_Until(const std::function<bool()>& condition, std::chrono::milliseconds longest) {
    const auto deadline = std::chrono::steady_clock::now() + longest;
    Ticker ticker;
    MSG message{};
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (GetMessageA(&message, nullptr, 0, 0) == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // leave it for whoever waits for it
            return condition();
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

namespace {

constexpr int most_waiting_messages = 100000;

}  // namespace

int Pump_Waiting_Messages() {
    int dispatched = 0;
    MSG message{};
#ifdef _WIN32
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // left for whoever waits for it
            break;
        }
#else
    while (testing_hooks::Take_Waiting_Message(message)) {
#endif
        TranslateMessage(&message);
        DispatchMessageA(&message);
        // A window that never stops asking (a paint that does not validate
        // it) would keep this loop going for ever.
        if (++dispatched == most_waiting_messages) {
            ADD_FAILURE() << "messages keep coming: " << dispatched << " dispatched, the last " << message.message;
            break;
        }
    }
    return dispatched;
}

int Pump_Messages_Until_Quit(std::chrono::milliseconds longest) {
    const auto deadline = std::chrono::steady_clock::now() + longest;
    Ticker ticker;
    MSG message{};
    while (std::chrono::steady_clock::now() < deadline) {
        if (GetMessageA(&message, nullptr, 0, 0) == 0) return static_cast<int>(message.wParam);
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return -1;
}
