// What a window's procedure is given, and in which order: posted messages
// before the paint, all invalidations in one paint that comes only when
// nothing else waits and keeps coming until the window is validated, pointer
// moves from input merged while posted messages never are, and a whole paint
// after a resize or when the window is shown or exposed again.
#include "platform.h"
#include "platform_testing.h"
#include "support/test_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Received {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    RECT paint;  // WM_PAINT: the area to paint
    BOOL erase;  // WM_PAINT: whether the background is to be erased
};
std::vector<Received> received;

LRESULT CALLBACK Recording_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Received seen{message, wparam, lparam, RECT{}, FALSE};
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        seen.paint = paint.rcPaint;
        seen.erase = paint.fErase;
        EndPaint(window, &paint);
    }
    received.push_back(seen);
    return message == WM_PAINT ? 0 : DefWindowProcA(window, message, wparam, lparam);
}

std::vector<UINT> Messages() {
    std::vector<UINT> messages;
    for (const Received& seen : received) messages.push_back(seen.message);
    return messages;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

constexpr UINT First = WM_USER + 1;
constexpr UINT Second = WM_USER + 2;

class Message_Queue : public testing::Test {
protected:
    void SetUp() override {
        Pump_Waiting_Messages();  // the paint that showing the window asked for
        received.clear();
    }

    void Push_Input(Uint32 type, int x, int y) {
        SDL_Event event{};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.windowID = testing_hooks::Sdl_Window_Id(Handle());
            event.motion.x = x;
            event.motion.y = y;
        } else {
            event.button.windowID = testing_hooks::Sdl_Window_Id(Handle());
            event.button.button = SDL_BUTTON_LEFT;
            event.button.x = x;
            event.button.y = y;
        }
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    HWND Handle() const { return window.Handle(); }
    Test_Window window{Recording_Procedure, 320, 200};
};

TEST_F(Message_Queue, PostedMessagesComeFirstThenOnePaintForAllTheInvalidations) {
    InvalidateRect(Handle(), nullptr, FALSE);
    PostMessageA(Handle(), First, 0, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
    std::thread([this] {
        InvalidateRect(Handle(), nullptr, FALSE);
        PostMessageA(Handle(), Second, 0, 0);
    }).join();
    EXPECT_TRUE(received.empty()) << "nothing before the thread looks for messages";
    Pump_Waiting_Messages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{First, Second, WM_PAINT}));
    ASSERT_EQ(received.size(), 3u);
    EXPECT_TRUE(Same(received[2].paint, RECT{0, 0, 320, 200}));
    EXPECT_TRUE(received[2].erase) << "one of the invalidations asked for the background to be erased";
    // A posted message is taken as it was posted.
    PostMessageA(Handle(), First, 7, -9);
    Pump_Waiting_Messages();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[3].wparam, 7u);
    EXPECT_EQ(received[3].lparam, -9);
}

TEST_F(Message_Queue, APaintIsGivenAgainUntilTheWindowIsValidated) {
    InvalidateRect(Handle(), nullptr, FALSE);
    MSG message{};
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(message.hwnd, Handle());
    // Not dispatched: the window still needs its paint.
    ASSERT_TRUE(testing_hooks::Take_Waiting_Message(message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(message.hwnd, Handle());
    // The default processing validates it.
    DefWindowProcA(Handle(), WM_PAINT, 0, 0);
    EXPECT_FALSE(testing_hooks::Take_Waiting_Message(message));
    // So does a paint that the procedure makes; an invalidation while it
    // paints asks for the next one.
    InvalidateRect(Handle(), nullptr, FALSE);
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    PAINTSTRUCT paint;
    BeginPaint(Handle(), &paint);
    InvalidateRect(Handle(), nullptr, FALSE);
    EndPaint(Handle(), &paint);
    ASSERT_TRUE(testing_hooks::Take_Waiting_Message(message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
}

TEST_F(Message_Queue, AHiddenWindowIsNotPaintedUntilItIsShownAndThenWhole) {
    ShowWindow(Handle(), SW_HIDE);
    InvalidateRect(Handle(), nullptr, FALSE);
    EXPECT_TRUE(UpdateWindow(Handle()));
    Pump_Waiting_Messages();
    EXPECT_TRUE(received.empty());
    ShowWindow(Handle(), SW_SHOW);
    Pump_Waiting_Messages();
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_PAINT});
    EXPECT_TRUE(Same(received[0].paint, RECT{0, 0, 320, 200}));
    EXPECT_TRUE(received[0].erase);
}

// The pointer's moves are merged while they wait, the newest place kept;
// input between them keeps its place. Messages posted are never merged,
// pointer moves or not.
TEST_F(Message_Queue, PointerMovesFromInputAreMergedButPostedMessagesNever) {
    Push_Input(SDL_MOUSEMOTION, 10, 10);
    Push_Input(SDL_MOUSEMOTION, 11, 12);
    Push_Input(SDL_MOUSEMOTION, 12, 13);
    Push_Input(SDL_MOUSEBUTTONDOWN, 12, 13);
    Push_Input(SDL_MOUSEMOTION, 20, 21);
    Push_Input(SDL_MOUSEMOTION, 22, 23);
    Pump_Waiting_Messages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE}));
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].lparam, MAKELPARAM(12, 13));
    EXPECT_EQ(received[2].lparam, MAKELPARAM(22, 23));

    received.clear();
    PostMessageA(Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 2));
    PostMessageA(Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    Pump_Waiting_Messages();
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSEMOVE}));
    EXPECT_EQ(received[0].lparam, MAKELPARAM(1, 2));
    EXPECT_EQ(received[1].lparam, MAKELPARAM(3, 4));

    // A move of the pointer does not take a posted move's place either.
    received.clear();
    PostMessageA(Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    Push_Input(SDL_MOUSEMOTION, 30, 31);
    Pump_Waiting_Messages();
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSEMOVE}));
    EXPECT_EQ(received[0].lparam, MAKELPARAM(5, 6));
    EXPECT_EQ(received[1].lparam, MAKELPARAM(30, 31));
}

// Its class redraws on every change of size (CS_HREDRAW | CS_VREDRAW): the
// new size, then a paint of the whole new client area, larger or smaller.
TEST_F(Message_Queue, AResizeGivesTheNewSizeThenAWholePaint) {
    SDL_Window* shown = SDL_GetWindowFromID(testing_hooks::Sdl_Window_Id(Handle()));
    ASSERT_NE(shown, nullptr);
    for (const auto& [width, height] : {std::pair{410, 260}, std::pair{200, 150}, std::pair{200, 170}}) {
        SCOPED_TRACE(testing::Message() << width << " by " << height);
        received.clear();
        SDL_SetWindowSize(shown, width, height);
        Pump_Waiting_Messages();
        ASSERT_EQ(Messages(), (std::vector<UINT>{WM_SIZE, WM_PAINT}));
        EXPECT_EQ(received[0].wparam, 0u);  // SIZE_RESTORED
        EXPECT_EQ(received[0].lparam, MAKELPARAM(width, height));
        EXPECT_TRUE(Same(received[1].paint, RECT{0, 0, width, height}));
        EXPECT_TRUE(received[1].erase);
        RECT client{};
        EXPECT_TRUE(GetClientRect(Handle(), &client));
        EXPECT_TRUE(Same(client, RECT{0, 0, width, height}));
    }
}

TEST_F(Message_Queue, AWindowExposedAgainIsPaintedWholeWithItsBackgroundToErase) {
    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    exposed.window.windowID = testing_hooks::Sdl_Window_Id(Handle());
    ASSERT_EQ(SDL_PushEvent(&exposed), 1);
    Pump_Waiting_Messages();
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_PAINT});
    EXPECT_TRUE(Same(received[0].paint, RECT{0, 0, 320, 200}));
    EXPECT_TRUE(received[0].erase);
}

}  // namespace
