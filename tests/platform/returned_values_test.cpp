// What the calls return and the buffers they fill, held to what the system
// documents: lengths with and without the terminator, the size a short buffer
// needs, the previous object or mode, the invalid colour outside a bitmap,
// the height of drawn text, a message box's answer, the machine's memory.
#include "physical_memory.h"
#include "platform.h"
#include "platform_testing.h"
#include "support/canvas.h"
#include "support/temporary_directory.h"
#include "support/test_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char guard = '#';

// A buffer of size characters for a call to fill, with guard bytes after it
// that it must not touch.
struct Guarded_Buffer {
    explicit Guarded_Buffer(size_t length) : size(length), bytes(length + 8, guard) {}
    char* data() { return bytes.data(); }
    bool Untouched_After_Its_Size() const {
        for (size_t i = size; i < bytes.size(); ++i)
            if (bytes[i] != guard) return false;
        return true;
    }
    size_t size;
    std::vector<char> bytes;
};

TEST(Returned_Values, WindowTextIsCutToTheBufferWithItsTerminatorAndTheLengthCopiedIsReturned) {
    Test_Window window(DefWindowProcA);
    const std::string title = "layerdream - training connection 0: image 1 of 3 (4 images/s)";
    ASSERT_TRUE(SetWindowTextA(window.Handle(), title.c_str()));
    const int length = static_cast<int>(title.size());
    for (const int size : {length + 5, length + 1, length, length - 1, 2, 1}) {
        SCOPED_TRACE("buffer of " + std::to_string(size));
        Guarded_Buffer buffer(static_cast<size_t>(size));
        const int copied = std::min(length, size - 1);
        EXPECT_EQ(GetWindowTextA(window.Handle(), buffer.data(), size), copied);
        EXPECT_EQ(std::string(buffer.data(), static_cast<size_t>(copied)), title.substr(0, static_cast<size_t>(copied)));
        EXPECT_EQ(buffer.bytes[static_cast<size_t>(copied)], '\0');
        EXPECT_TRUE(buffer.Untouched_After_Its_Size());
    }
    Guarded_Buffer none(0);
    EXPECT_EQ(GetWindowTextA(window.Handle(), none.data(), 0), 0);
    EXPECT_TRUE(none.Untouched_After_Its_Size());

    ASSERT_TRUE(SetWindowTextA(window.Handle(), ""));
    Guarded_Buffer empty(10);
    EXPECT_EQ(GetWindowTextA(window.Handle(), empty.data(), 10), 0);
    EXPECT_EQ(empty.bytes[0], '\0');

    DestroyWindow(window.Handle());
    EXPECT_EQ(GetWindowTextA(window.Handle(), empty.data(), 10), 0);
    EXPECT_FALSE(SetWindowTextA(window.Handle(), "gone"));
}

// The size needed, terminator included, when the buffer is too short; the
// length, terminator excluded, when the directory fits. Also for a
// directory longer than any first guess of a buffer.
TEST(Returned_Values, CurrentDirectoryGivesTheSizeNeededWhenShortAndTheLengthWhenItFits) {
    Temporary_Directory here;
    std::filesystem::path deep = std::filesystem::canonical(here.Path());
    for (int level = 0; level < 2; ++level) {
        if (level == 1) {
            for (int k = 0; k < 12; ++k) deep /= std::string(40, static_cast<char>('a' + k));
            std::filesystem::create_directories(deep);
            std::filesystem::current_path(deep);
        }
        const std::string expected = deep.string();
        const auto length = static_cast<DWORD>(expected.size());
        SCOPED_TRACE(std::to_string(length) + " characters");
        EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1);
        for (const DWORD size : {length + 10, length + 1}) {
            Guarded_Buffer buffer(size);
            EXPECT_EQ(GetCurrentDirectoryA(size, buffer.data()), length) << "buffer of " << size;
            EXPECT_EQ(std::string(buffer.data()), expected);
            EXPECT_TRUE(buffer.Untouched_After_Its_Size());
        }
        for (const DWORD size : {length, length - 1, DWORD{1}}) {
            Guarded_Buffer buffer(size);
            EXPECT_EQ(GetCurrentDirectoryA(size, buffer.data()), length + 1) << "buffer of " << size;
            EXPECT_TRUE(buffer.Untouched_After_Its_Size()) << "buffer of " << size;
        }
    }
    EXPECT_GT(deep.string().size(), 480u);
}

// Within the bitmap a pixel takes and gives the colour exactly, from the
// first row and column to the last; beyond any edge both calls give
// CLR_INVALID and change nothing. A 24-bit bitmap stored bottom-up alike.
TEST(Returned_Values, PixelsBeyondTheBitmapsEdgesGiveClrInvalid) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 5;
    info.bmiHeader.biHeight = 3;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    ASSERT_NE(section, nullptr);
    Canvas compatible(5, 3, RGB(255, 255, 255));
    HDC in_section = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(in_section, section);
    for (HDC dc : {compatible.Dc(), in_section}) {
        const COLORREF corners[] = {RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(250, 251, 252)};
        const POINT inside[] = {{0, 0}, {4, 0}, {0, 2}, {4, 2}};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(SetPixel(dc, inside[k].x, inside[k].y, corners[k]), corners[k]);
            EXPECT_EQ(GetPixel(dc, inside[k].x, inside[k].y), corners[k]);
        }
        const POINT outside[] = {{-1, 0}, {0, -1}, {5, 0}, {0, 3}, {5, 3}, {-1, -1}, {INT_MIN, 0}, {0, INT_MAX}};
        for (const POINT& p : outside) {
            EXPECT_EQ(SetPixel(dc, p.x, p.y, RGB(9, 9, 9)), CLR_INVALID) << p.x << ", " << p.y;
            EXPECT_EQ(GetPixel(dc, p.x, p.y), CLR_INVALID) << p.x << ", " << p.y;
        }
        for (int k = 0; k < 4; ++k) EXPECT_EQ(GetPixel(dc, inside[k].x, inside[k].y), corners[k]);
    }
    SelectObject(in_section, previous);
    DeleteObject(section);
    DeleteDC(in_section);
    // A context that draws into no bitmap has no pixels to give.
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(GetPixel(display, 0, 0), CLR_INVALID);
    DeleteDC(display);
}

TEST(Returned_Values, SelectObjectGivesWhatTheContextHeldBeforeAndNullWhenItFails) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC dc = CreateCompatibleDC(display);
    HDC other = CreateCompatibleDC(display);
    HBITMAP a = CreateCompatibleBitmap(display, 4, 4);
    HBITMAP b = CreateCompatibleBitmap(display, 4, 4);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));

    HGDIOBJ stock_bitmap = SelectObject(dc, a);
    ASSERT_NE(stock_bitmap, nullptr);
    EXPECT_NE(stock_bitmap, a);
    EXPECT_EQ(SelectObject(dc, b), a);
    EXPECT_EQ(SelectObject(dc, b), b);
    // Held by another context: refused, and the context keeps what it held.
    EXPECT_NE(SelectObject(other, a), nullptr);
    EXPECT_EQ(SelectObject(dc, a), nullptr);
    EXPECT_EQ(SelectObject(dc, stock_bitmap), b);

    HGDIOBJ stock_brush = SelectObject(dc, red);
    ASSERT_NE(stock_brush, nullptr);
    EXPECT_NE(stock_brush, red);
    EXPECT_EQ(SelectObject(dc, green), red);
    EXPECT_EQ(SelectObject(dc, stock_brush), green);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);

    DeleteDC(other);
    DeleteDC(dc);
    DeleteDC(display);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(a), static_cast<HGDIOBJ>(b), static_cast<HGDIOBJ>(red),
                           static_cast<HGDIOBJ>(green)})
        EXPECT_TRUE(DeleteObject(object));
}

TEST(Returned_Values, SetBkModeGivesThePreviousModeAndRefusesOthersWithZero) {
    Canvas canvas(4, 4);
    EXPECT_EQ(SetBkMode(canvas.Dc(), TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(canvas.Dc(), TRANSPARENT), TRANSPARENT);
    EXPECT_EQ(SetBkMode(canvas.Dc(), 7), 0);
    EXPECT_EQ(SetBkMode(canvas.Dc(), OPAQUE), TRANSPARENT);
    EXPECT_EQ(SetBkMode(canvas.Dc(), OPAQUE), OPAQUE);
    EXPECT_EQ(SetBkMode(nullptr, OPAQUE), 0);
}

// The height of the text drawn: 16 pixels a line in the system font, only
// the characters given counted. No characters at all give 0, while an empty
// text whose length is to be found gives a line. Whether or where it draws
// does not change it.
TEST(Returned_Values, DrawTextGivesTheHeightOfTheLinesDrawn) {
    Canvas canvas(200, 100);
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    struct Case {
        const char* text;
        int length;
        int height;
    };
    const Case cases[] = {
        {"Output Bitmap", -1, 16}, {"Move window", 4, 16}, {"one\ntwo\nthree", -1, 48},
        {"one\ntwo", 3, 16},       {"", -1, 16},            {"not drawn", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RECT box{10, 10, 190, 90};
        EXPECT_EQ(DrawTextA(canvas.Dc(), c.text, c.length, &box, 0), c.height);
        RECT outside{300, 300, 400, 400};
        EXPECT_EQ(DrawTextA(canvas.Dc(), c.text, c.length, &outside, 0), c.height);
        EXPECT_EQ(DrawTextA(display, c.text, c.length, &box, 0), c.height);
    }
    DeleteDC(display);
}

// A box with OK alone answers IDOK however it is dismissed: Enter, Space,
// Escape, or closing it; from another thread or on the window's thread,
// whose loop it runs meanwhile.
TEST(Returned_Values, AMessageBoxWithOkAloneAnswersIdOkHoweverItIsDismissed) {
    Test_Window window(DefWindowProcA);
    const auto dismiss = [](HWND box, int how) {
        if (how == 0) PostMessageA(box, WM_CLOSE, 0, 0);
        else PostMessageA(box, WM_KEYDOWN, static_cast<WPARAM>(how), 0);
    };
    for (const int how : {VK_RETURN, VK_SPACE, VK_ESCAPE, 0}) {
        SCOPED_TRACE(how);
        auto answer = std::async(std::launch::async, [] { return MessageBoxA(nullptr, "Settings data not found", "", MB_OK); });
        ASSERT_TRUE(Pump_Messages_Until([] { return !testing_hooks::Open_Message_Boxes().empty(); }));
        dismiss(testing_hooks::Open_Message_Boxes().at(0).window, how);
        ASSERT_TRUE(Pump_Messages_Until([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        EXPECT_EQ(answer.get(), IDOK);
    }
    // On the window's thread the box runs a loop of its own until dismissed.
    std::atomic<bool> asked{true};
    std::thread user([&] {
        while (asked && testing_hooks::Open_Message_Boxes().empty()) std::this_thread::yield();
        if (asked) PostMessageA(testing_hooks::Open_Message_Boxes().at(0).window, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    const int answer = MessageBoxA(window.Handle(), "Training data not found", "", MB_OK);
    asked = false;
    user.join();
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());
}

// The client area is the window's inside, from (0, 0): the size of what
// it shows on the screen.
TEST(Returned_Values, TheClientAreaIsTheSizeOfWhatTheWindowShows) {
    Test_Window window(DefWindowProcA, 333, 211);
    Pump_Waiting_Messages();
    RECT client{-1, -1, -1, -1};
    ASSERT_TRUE(GetClientRect(window.Handle(), &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(SDL_GetWindowFromID(testing_hooks::Sdl_Window_Id(window.Handle())), &width, &height);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    EXPECT_EQ(width, 333);
    EXPECT_EQ(height, 211);
    DestroyWindow(window.Handle());
    EXPECT_FALSE(GetClientRect(window.Handle(), &client));
}

// ShowWindow answers whether the window was visible before; DestroyWindow
// succeeds once; a class is registered once.
TEST(Returned_Values, ShowingDestroyingAndRegisteringSayWhatWasTheCaseBefore) {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.lpszClassName = "layerdream returned values";
    const ATOM atom = RegisterClassExA(&window_class);
    EXPECT_NE(atom, 0);
    EXPECT_EQ(RegisterClassExA(&window_class), 0);
    HWND window = CreateWindowExA(0, window_class.lpszClassName, "hidden", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 200,
                                  100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(ShowWindow(window, SW_HIDE));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
}

// The machine's memory, as the kernel counts it.
TEST(Returned_Values, PhysicalMemoryIsTheMachinesTotal) {
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    uint64_t total_kib = 0;
    while (std::getline(meminfo, line))
        if (line.rfind("MemTotal:", 0) == 0) std::istringstream(line.substr(9)) >> total_kib;
    ASSERT_GT(total_kib, 0u);
    EXPECT_EQ(Physical_Memory_Bytes(), total_kib * 1024);
}

}  // namespace
