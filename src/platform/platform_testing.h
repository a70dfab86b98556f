// What tests may ask of the SDL platform beyond the system's calls.
#pragma once

#include "platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_hooks {

struct Message_Box_View {
    HWND window;  // post WM_CLOSE to it, or a key, to dismiss the box
    std::string title;
    std::string text;
};

// The message boxes that are up now.
std::vector<Message_Box_View> Open_Message_Boxes();

// What the window shows on the screen now: its last presented picture, as
// 0x00RRGGBB words, row by row. Runs on the window thread; empty if the
// window is gone or no loop runs to answer.
struct Screen_Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};
Screen_Picture Read_Screen(HWND window);

// How many threads wait for the window's thread to run work for them (a
// repaint, a sent message) that it has not started yet.
int Waiting_Senders();

// The bitmaps, brushes and device contexts the program has made with the
// drawing calls and not yet deleted, as the system counts them for a process
// (GetGuiResources with GR_GDIOBJECTS). Stock objects are not among them.
int Live_Drawing_Objects();

// Takes the next message waiting for the calling thread, as GetMessageA
// would, without waiting for one (PeekMessageA with PM_REMOVE): false when
// none waits. A quit message is left waiting, false.
bool Take_Waiting_Message(MSG& message);

// The id of the SDL window that shows a top-level window (0: none), to
// push SDL's events for it or change its size as a user would.
uint32_t Sdl_Window_Id(HWND window);

// The SDL system cursor (an SDL_SystemCursor value) that a cursor handle of
// LoadCursorA shows; -1 for a handle that is no system cursor.
int Cursor_Shape(HCURSOR cursor);

}  // namespace testing_hooks
