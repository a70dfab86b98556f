// Calls that show a message box and wait on it, for the training tests on
// the SDL platform: the call runs on a second thread while this one answers
// its windows' messages, and the boxes are found and dismissed through the
// platform's testing hooks.
#pragma once

#include "platform_testing.h"
#include "support/test_window.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace training_test {

// Runs a call on a second thread, for calls that may show a message box
// and wait on it. The thread of the test owns the windows and has to keep
// answering them (Pump_Messages_Until) while the call runs. Whatever box is
// still up at the end is dismissed, so the thread always finishes.
class Background_Call {
public:
    explicit Background_Call(std::function<void()> work)
        : thread([this, work = std::move(work)] {
              work();
              done = true;
          }) {}
    ~Background_Call() {
        Pump_Messages_Until([this] {
            for (const auto& box : testing_hooks::Open_Message_Boxes()) PostMessageA(box.window, WM_CLOSE, 0, 0);
            return done.load();
        });
        thread.join();
    }
    Background_Call(const Background_Call&) = delete;
    Background_Call& operator=(const Background_Call&) = delete;

    bool Done() const { return done.load(); }

private:
    std::atomic<bool> done{false};
    std::thread thread;
};

// Answers this thread's messages until at least one message box is up;
// the boxes then up.
inline std::vector<testing_hooks::Message_Box_View> Wait_For_Message_Boxes(
    std::chrono::milliseconds longest = std::chrono::seconds(10)) {
    Pump_Messages_Until([] { return !testing_hooks::Open_Message_Boxes().empty(); }, longest);
    return testing_hooks::Open_Message_Boxes();
}

}  // namespace training_test
