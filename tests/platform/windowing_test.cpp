// Windows, messages and painting across threads, on SDL's offscreen driver.
#include "platform.h"
#include "platform_testing.h"
#include "support/test_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr UINT Doubling = WM_USER + 5;

// What the test windows' procedure saw.
struct Seen {
    std::atomic<int> paints{0};
    std::atomic<bool> painted_on_other_thread{false};
    std::thread::id window_thread;
    std::vector<MSG> mouse;
    std::atomic<bool> destroyed{false};
    std::atomic<int> sends{0};
    std::atomic<bool> ran_on_other_thread{false};
    COLORREF fill = RGB(0, 128, 0);
};
Seen seen;

LRESULT CALLBACK Recording_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT: {
            if (std::this_thread::get_id() != seen.window_thread) seen.painted_on_other_thread = true;
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            HBRUSH brush = CreateSolidBrush(seen.fill);
            RECT client;
            GetClientRect(window, &client);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            EndPaint(window, &paint);
            ++seen.paints;
            return 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            MSG m{};
            m.message = message;
            m.lParam = lparam;
            seen.mouse.push_back(m);
            return 0;
        }
        case WM_DESTROY:
            seen.destroyed = true;
            return 0;
        case Doubling:  // answers twice its parameter, noting where it ran
            if (std::this_thread::get_id() != seen.window_thread) seen.ran_on_other_thread = true;
            ++seen.sends;
            return 2 * lparam;
        default:
            return DefWindowProcA(window, message, wparam, lparam);
    }
}

class Windowing : public ::testing::Test {
protected:
    void SetUp() override {
        seen.paints = 0;
        seen.painted_on_other_thread = false;
        seen.window_thread = std::this_thread::get_id();
        seen.mouse.clear();
        seen.destroyed = false;
        seen.sends = 0;
        seen.ran_on_other_thread = false;
        seen.fill = RGB(0, 128, 0);
        window = std::make_unique<Test_Window>(Recording_Procedure, 320, 200);
        ASSERT_NE(window->Handle(), nullptr);
        ASSERT_TRUE(Pump_Messages_Until([] { return seen.paints > 0; }));  // the first paint after showing
    }

    HWND Handle() const { return window->Handle(); }
    std::unique_ptr<Test_Window> window;
};

// Another thread's update returns only once the window's thread has run the
// paint handler, every time: it is not merged with anything. Each update is
// asked for while the window's thread answers nothing, which then runs it.
TEST_F(Windowing, AnotherThreadsUpdateReturnsOnlyAfterThePaint) {
    const int before = seen.paints;
    for (int k = 0; k < 3; ++k) {
        std::atomic<int> paints_when_returned{-1};
        std::thread other([&] {
            InvalidateRect(Handle(), nullptr, TRUE);
            UpdateWindow(Handle());
            paints_when_returned = seen.paints.load();
        });
        while (testing_hooks::Waiting_Senders() == 0 && paints_when_returned < 0) std::this_thread::sleep_for(1ms);
        EXPECT_EQ(paints_when_returned, -1) << "update " << k << " returned before the window's thread painted";
        ASSERT_TRUE(Pump_Messages_Until([&] { return paints_when_returned >= 0; }));
        other.join();
        EXPECT_EQ(paints_when_returned, before + k + 1) << "update " << k;
    }
    EXPECT_FALSE(seen.painted_on_other_thread);
}

// Invalidations from another thread ask for no paint of their own: the
// window's thread is sent one WM_PAINT for all of them when it is free.
TEST_F(Windowing, AnotherThreadsInvalidationsMergeIntoOnePaintWhenTheWindowsThreadIsFree) {
    Pump_Waiting_Messages();  // nothing left to paint
    const int before = seen.paints;
    std::thread other([&] {
        for (int k = 0; k < 5; ++k) InvalidateRect(Handle(), nullptr, TRUE);
    });
    other.join();
    EXPECT_EQ(seen.paints, before);
    Pump_Waiting_Messages();
    EXPECT_EQ(seen.paints, before + 1);
}

// It returns without waiting: it never stands among the threads that wait
// for the window's thread, which answers nothing meanwhile.
TEST_F(Windowing, AnUpdateWithNothingToRepaintReturnsWithoutTheWindowThread) {
    Pump_Waiting_Messages();  // nothing left to paint
    auto update = std::async(std::launch::async, [&] { return UpdateWindow(Handle()); });
    while (testing_hooks::Waiting_Senders() == 0 && update.wait_for(0s) != std::future_status::ready)
        std::this_thread::yield();
    EXPECT_EQ(testing_hooks::Waiting_Senders(), 0);
    // Had it waited for a paint, this thread lets it go.
    Pump_Messages_Until([&] { return update.wait_for(0s) == std::future_status::ready; });
    EXPECT_TRUE(update.get());
}

// Whether the thread that will set the answer stands waiting for the
// window's thread (rather than having answered already).
bool Waits_For_The_Window_Thread(const std::future<BOOL>& answer) {
    while (testing_hooks::Waiting_Senders() == 0 && answer.wait_for(0s) != std::future_status::ready)
        std::this_thread::yield();
    return testing_hooks::Waiting_Senders() == 1;
}

TEST_F(Windowing, AThreadWaitingForARepaintIsReleasedWhenTheWindowIsDestroyed) {
    std::promise<BOOL> result;
    std::thread other([&] {
        InvalidateRect(Handle(), nullptr, TRUE);
        result.set_value(UpdateWindow(Handle()));
    });
    auto answer = result.get_future();
    ASSERT_TRUE(Waits_For_The_Window_Thread(answer));
    DestroyWindow(Handle());
    ASSERT_EQ(answer.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(answer.get());
    other.join();
    EXPECT_TRUE(seen.destroyed);
    EXPECT_FALSE(IsWindow(Handle()));
    // Later calls on the destroyed window return at once.
    EXPECT_FALSE(InvalidateRect(Handle(), nullptr, TRUE));
    EXPECT_FALSE(UpdateWindow(Handle()));
}

TEST_F(Windowing, AThreadWaitingForARepaintIsReleasedWhenTheLoopEnds) {
    std::promise<BOOL> result;
    std::thread other([&] {
        InvalidateRect(Handle(), nullptr, TRUE);
        result.set_value(UpdateWindow(Handle()));
    });
    auto answer = result.get_future();
    ASSERT_TRUE(Waits_For_The_Window_Thread(answer));
    // The loop takes what was sent to it before its quit message, so the
    // waiting thread is answered either way; it never stays blocked.
    PostQuitMessage(7);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) != 0) DispatchMessageA(&message);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    ASSERT_EQ(answer.wait_for(5s), std::future_status::ready);
    other.join();
    // A thread asking after the loop has ended is refused at once.
    std::thread late([&] {
        InvalidateRect(Handle(), nullptr, TRUE);
        EXPECT_FALSE(UpdateWindow(Handle()));
    });
    late.join();
}

// Messages sent from other threads run on the window's thread, one after
// another in the order they came, each sender getting its own answer.
TEST_F(Windowing, MessagesSentFromOtherThreadsRunOnTheWindowThreadAndAnswerEachSender) {
    std::vector<std::future<LRESULT>> answers;
    for (LPARAM k = 1; k <= 4; ++k)
        answers.push_back(std::async(std::launch::async, [&, k] { return SendMessageA(Handle(), Doubling, 0, k); }));
    ASSERT_TRUE(Pump_Messages_Until([] { return seen.sends == 4; }));
    for (LPARAM k = 1; k <= 4; ++k) EXPECT_EQ(answers[static_cast<size_t>(k - 1)].get(), 2 * k);
    EXPECT_FALSE(seen.ran_on_other_thread);
    // On the window's own thread a send runs at once.
    EXPECT_EQ(SendMessageA(Handle(), Doubling, 0, 21), 42);
}

// A send waiting for a window that is destroyed before its turn is not run:
// its sender is released with no answer, while a send to another window
// still runs.
TEST_F(Windowing, ASendToAWindowDestroyedBeforeItsTurnIsDroppedAndItsSenderReleased) {
    Test_Window other_window(Recording_Procedure, 100, 100);
    EXPECT_TRUE(PostMessageA(Handle(), Doubling, 0, 1));
    auto to_destroyed = std::async(std::launch::async, [&] { return SendMessageA(Handle(), Doubling, 0, 5); });
    // Should the sender not be released, a few wake-ups from another thread
    // let it see the window gone before the test ends.
    struct Wake_Before_Leaving {
        ~Wake_Before_Leaving() { Pump_Messages_Until([] { return false; }, 20ms); }
    } wake_before_leaving;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (testing_hooks::Waiting_Senders() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(testing_hooks::Waiting_Senders(), 1);
    DestroyWindow(Handle());
    ASSERT_EQ(to_destroyed.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(to_destroyed.get(), 0);
    auto to_other = std::async(std::launch::async, [&] { return SendMessageA(other_window.Handle(), Doubling, 0, 6); });
    ASSERT_TRUE(Pump_Messages_Until([] { return seen.sends == 1; }));
    EXPECT_EQ(to_other.get(), 12);
    // Neither the destroyed window's send nor the message posted to it before
    // it went reached its procedure; posting to it now is refused.
    Pump_Waiting_Messages();
    EXPECT_EQ(seen.sends, 1);
    EXPECT_FALSE(PostMessageA(Handle(), Doubling, 0, 1));
}

// Once the loop has ended, a send from another thread is refused at once;
// a new loop serves sends again.
TEST_F(Windowing, SendsAreRefusedBetweenLoopsAndServedAgainByANewLoop) {
    PostQuitMessage(0);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) != 0) DispatchMessageA(&message);
    auto refused = std::async(std::launch::async, [&] { return SendMessageA(Handle(), Doubling, 0, 3); });
    ASSERT_EQ(refused.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(refused.get(), 0);
    EXPECT_EQ(seen.sends, 0);
    // A new loop: the first message it takes.
    PostMessageA(Handle(), WM_NULL, 0, 0);
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    auto served = std::async(std::launch::async, [&] { return SendMessageA(Handle(), Doubling, 0, 4); });
    ASSERT_TRUE(Pump_Messages_Until([] { return seen.sends == 1; }));
    EXPECT_EQ(served.get(), 8);
}

TEST_F(Windowing, PaintingIsAskedForOnlyWhenNoOtherMessageWaits) {
    Pump_Waiting_Messages();
    InvalidateRect(Handle(), nullptr, TRUE);
    PostMessageA(Handle(), WM_USER + 1, 0, 0);
    MSG message{};
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(message.hwnd, Handle());
    DispatchMessageA(&message);
}

// The screen comes to show the colour while the loop runs.
bool Screen_Shows(HWND window, uint32_t pixel) {
    return Pump_Messages_Until([&] {
        const testing_hooks::Screen_Picture shown = testing_hooks::Read_Screen(window);
        return shown.width > 10 && shown.At(5, 5) == pixel;
    });
}

TEST_F(Windowing, PaintingOnTheWindowThreadReachesTheScreenAndAnotherThreadsContextDrawsNowhere) {
    seen.fill = RGB(200, 10, 20);
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateWindow(Handle());  // on this thread: painted at once
    ASSERT_TRUE(Screen_Shows(Handle(), 0x00C80A14u));
    std::thread other([&] {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        ASSERT_NE(dc, nullptr);
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        RECT everything{0, 0, 1000, 1000};
        FillRect(dc, &everything, brush);
        EXPECT_EQ(SetPixel(dc, 5, 5, RGB(1, 2, 3)), CLR_INVALID);
        DeleteObject(brush);
        EndPaint(Handle(), &paint);
    });
    other.join();
    Pump_Messages_Until([] { return false; }, 100ms);
    EXPECT_EQ(testing_hooks::Read_Screen(Handle()).At(5, 5), 0x00C80A14u);
}

TEST_F(Windowing, AfterARunOfQuickRepaintsTheScreenShowsTheLastOne) {
    // Repaints come faster than the screen refreshes: not every one is
    // shown, but once they stop the last one is.
    std::atomic<bool> done{false};
    std::thread other([&] {
        for (int i = 0; i < 200; ++i) {
            seen.fill = RGB(i, 255 - i, 7);
            InvalidateRect(Handle(), nullptr, TRUE);
            UpdateWindow(Handle());
        }
        seen.fill = RGB(10, 20, 30);
        InvalidateRect(Handle(), nullptr, TRUE);
        UpdateWindow(Handle());
        done = true;
    });
    ASSERT_TRUE(Pump_Messages_Until([&] { return done.load(); }));
    other.join();
    EXPECT_TRUE(Screen_Shows(Handle(), 0x000A141Eu));
}

// The SDL window behind the test window: the newest one shown under its title.
uint32_t Sdl_Window_Id() {
    uint32_t window_id = 0;
    for (uint32_t candidate = 1; candidate < 256; ++candidate) {
        SDL_Window* w = SDL_GetWindowFromID(candidate);
        if (w != nullptr && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0 &&
            std::string(SDL_GetWindowTitle(w)) == "layerdream test")
            window_id = candidate;
    }
    return window_id;
}

TEST_F(Windowing, AWindowMadeLargerFromOutsideIsPaintedToItsNewEdges) {
    const uint32_t window_id = Sdl_Window_Id();
    ASSERT_NE(window_id, 0u);
    Pump_Waiting_Messages();  // nothing left to paint
    const int before = seen.paints;
    seen.fill = RGB(30, 60, 90);
    SDL_SetWindowSize(SDL_GetWindowFromID(window_id), 410, 260);
    ASSERT_TRUE(Pump_Messages_Until([&] { return seen.paints > before; }));
    RECT client;
    GetClientRect(Handle(), &client);
    EXPECT_EQ(client.right - client.left, 410);
    EXPECT_EQ(client.bottom - client.top, 260);
    ASSERT_TRUE(Screen_Shows(Handle(), 0x001E3C5Au));
    const testing_hooks::Screen_Picture screen = testing_hooks::Read_Screen(Handle());
    ASSERT_EQ(screen.width, 410);
    ASSERT_EQ(screen.height, 260);
    EXPECT_EQ(screen.At(409, 259), 0x001E3C5Au);
    EXPECT_EQ(screen.At(350, 20), 0x001E3C5Au);  // beyond the old right edge
}

TEST_F(Windowing, MouseInputInTheClientAreaBecomesMessagesWithItsPointAndNothingOutsideIt) {
    const uint32_t window_id = Sdl_Window_Id();
    ASSERT_NE(window_id, 0u);
    auto push = [&](Uint32 type, int x, int y, Uint8 button) {
        SDL_Event event{};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.windowID = window_id;
            event.motion.x = x;
            event.motion.y = y;
        } else {
            event.button.windowID = window_id;
            event.button.x = x;
            event.button.y = y;
            event.button.button = button;
        }
        SDL_PushEvent(&event);
    };
    push(SDL_MOUSEMOTION, 10, 20, 0);
    push(SDL_MOUSEBUTTONDOWN, 11, 21, SDL_BUTTON_LEFT);
    // Held down, the pointer leaves the window (SDL goes on reporting it):
    // the program sees neither the moves outside nor the release there.
    push(SDL_MOUSEMOTION, -40, 21, 0);
    push(SDL_MOUSEMOTION, 5, -1, 0);
    push(SDL_MOUSEMOTION, 320, 50, 0);
    push(SDL_MOUSEMOTION, 50, 200, 0);
    push(SDL_MOUSEBUTTONUP, -40, 21, SDL_BUTTON_LEFT);
    push(SDL_MOUSEBUTTONDOWN, 400, 21, SDL_BUTTON_LEFT);
    push(SDL_MOUSEBUTTONUP, 12, 22, SDL_BUTTON_LEFT);
    push(SDL_MOUSEBUTTONDOWN, 13, 23, SDL_BUTTON_RIGHT);
    push(SDL_MOUSEBUTTONUP, 319, 199, SDL_BUTTON_RIGHT);  // the client area's last pixel
    push(SDL_MOUSEBUTTONDOWN, 1, 1, SDL_BUTTON_MIDDLE);   // not a message of the program's
    ASSERT_TRUE(Pump_Messages_Until([] { return seen.mouse.size() >= 5; }));
    ASSERT_EQ(seen.mouse.size(), 5u);
    const UINT kinds[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};
    const int points[][2] = {{10, 20}, {11, 21}, {12, 22}, {13, 23}, {319, 199}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(seen.mouse[i].message, kinds[i]);
        EXPECT_EQ(LOWORD(seen.mouse[i].lParam), points[i][0]);
        EXPECT_EQ(HIWORD(seen.mouse[i].lParam), points[i][1]);
    }
}

TEST_F(Windowing, ClosingTheWindowDestroysItThroughTheDefaultProcessing) {
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(Pump_Messages_Until([] { return seen.destroyed.load(); }));
    EXPECT_FALSE(IsWindow(Handle()));
}

TEST_F(Windowing, TheTitleCanBeSetFromAnyThread) {
    std::thread other([&] { EXPECT_TRUE(SetWindowTextA(Handle(), "layerdream - from the worker")); });
    other.join();
    char title[64];
    EXPECT_EQ(GetWindowTextA(Handle(), title, sizeof title), 28);
    EXPECT_STREQ(title, "layerdream - from the worker");
    EXPECT_EQ(GetWindowTextA(Handle(), title, 11), 10);
    EXPECT_STREQ(title, "layerdream");
}

TEST_F(Windowing, AMessageBoxBlocksOnlyItsThreadAndShowsItsTextAndTitle) {
    std::promise<int> result;
    std::thread other([&] { result.set_value(MessageBoxA(nullptr, "Training data not found", "", MB_OK)); });
    auto answer = result.get_future();
    ASSERT_TRUE(Pump_Messages_Until([] { return !testing_hooks::Open_Message_Boxes().empty(); }));
    const auto boxes = testing_hooks::Open_Message_Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Training data not found");
    EXPECT_EQ(boxes[0].title, "");
    // The window goes on painting meanwhile.
    const int before = seen.paints;
    InvalidateRect(Handle(), nullptr, TRUE);
    ASSERT_TRUE(Pump_Messages_Until([&] { return seen.paints > before; }));
    EXPECT_EQ(answer.wait_for(0ms), std::future_status::timeout);
    PostMessageA(boxes[0].window, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(Pump_Messages_Until([&] { return answer.wait_for(0ms) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), IDOK);
    other.join();
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());
}

TEST_F(Windowing, AMessageBoxStillUpWhenTheLoopEndsIsReleased) {
    std::promise<int> result;
    std::thread other([&] { result.set_value(MessageBoxA(nullptr, "Settings data not found", "", MB_OK)); });
    auto answer = result.get_future();
    ASSERT_TRUE(Pump_Messages_Until([] { return !testing_hooks::Open_Message_Boxes().empty(); }));
    PostQuitMessage(0);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) != 0) DispatchMessageA(&message);
    ASSERT_EQ(answer.wait_for(5s), std::future_status::ready);
    other.join();
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());
    // After the loop has ended a new box is refused at once.
    std::thread late([] { EXPECT_EQ(MessageBoxA(nullptr, "late", "", MB_OK), 0); });
    late.join();
}

unsigned __stdcall Record_Argument(void* argument) {
    static_cast<std::promise<int>*>(argument)->set_value(42);
    return 0;
}

TEST(Process_Services, ThreadStartRunsTheFunctionWithItsArgument) {
    std::promise<int> ran;
    EXPECT_NE(_beginthreadex(nullptr, 0, Record_Argument, &ran, 0, nullptr), 0u);
    auto value = ran.get_future();
    ASSERT_EQ(value.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(value.get(), 42);
}

// Each standard cursor shows its own shape: the diagonal ones in particular
// point the way their names say.
TEST(Cursors, EachStandardCursorShowsItsShapeAndTheCurrentOneIsRemembered) {
    const std::pair<LPCSTR, SDL_SystemCursor> cursors[] = {
        {IDC_ARROW, SDL_SYSTEM_CURSOR_ARROW},       {IDC_HAND, SDL_SYSTEM_CURSOR_HAND},
        {IDC_SIZEALL, SDL_SYSTEM_CURSOR_SIZEALL},   {IDC_SIZENESW, SDL_SYSTEM_CURSOR_SIZENESW},
        {IDC_SIZENWSE, SDL_SYSTEM_CURSOR_SIZENWSE}, {IDC_SIZEWE, SDL_SYSTEM_CURSOR_SIZEWE},
        {IDC_SIZENS, SDL_SYSTEM_CURSOR_SIZENS},
    };
    for (const auto& [name, shape] : cursors) {
        HCURSOR cursor = LoadCursorA(nullptr, name);
        EXPECT_EQ(testing_hooks::Cursor_Shape(cursor), shape) << reinterpret_cast<uintptr_t>(name);
        SetCursor(cursor);
        EXPECT_EQ(GetCursor(), cursor);
    }
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
}

TEST(List_Box, HoldsAndReportsItsLines) {
    HWND box = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("first")), 0);
    EXPECT_EQ(SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("second")), 1);
    EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 2);
    char line[32];
    EXPECT_EQ(SendMessageA(box, LB_GETTEXTLEN, 1, 0), 6);
    EXPECT_EQ(SendMessageA(box, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(line)), 6);
    EXPECT_STREQ(line, "second");
    EXPECT_EQ(SendMessageA(box, LB_DELETESTRING, 0, 0), 1);
    EXPECT_EQ(SendMessageA(box, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line)), 6);
    EXPECT_EQ(SendMessageA(box, LB_DELETESTRING, 5, 0), LB_ERR);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 0);
    DestroyWindow(box);
}

}  // namespace
