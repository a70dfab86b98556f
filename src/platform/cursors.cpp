// The standard cursors, each shown as the SDL system cursor of its shape.
#include "platform_testing.h"
#include "windowing.h"

#include <SDL.h>

#include <atomic>

namespace {

// A cursor handle points at its entry here. The SDL cursor is made the first
// time the cursor is set, on the window thread.
struct Cursor_Entry {
    LPCSTR name;
    SDL_SystemCursor shape;
    SDL_Cursor* cursor = nullptr;
    bool tried = false;
};

Cursor_Entry cursors[] = {
    {IDC_ARROW, SDL_SYSTEM_CURSOR_ARROW},       {IDC_HAND, SDL_SYSTEM_CURSOR_HAND},
    {IDC_SIZEALL, SDL_SYSTEM_CURSOR_SIZEALL},   {IDC_SIZENESW, SDL_SYSTEM_CURSOR_SIZENESW},
    {IDC_SIZENWSE, SDL_SYSTEM_CURSOR_SIZENWSE}, {IDC_SIZEWE, SDL_SYSTEM_CURSOR_SIZEWE},
    {IDC_SIZENS, SDL_SYSTEM_CURSOR_SIZENS},
};

std::atomic<HCURSOR> current_cursor{nullptr};

HCURSOR Handle_Of(Cursor_Entry& entry) { return reinterpret_cast<HCURSOR>(&entry); }

}  // namespace

// A program's own icons come from the resources of its executable, which a
// program built on this layer does not carry: as the system does for a
// resource that is not there, this gives null (the window then has no icon
// of its own; the desktop takes the menu entry's).
HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    for (Cursor_Entry& entry : cursors)
        if (entry.name == name) return Handle_Of(entry);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = current_cursor.exchange(cursor);
    // Another thread's cursor shows when the window's thread next sets one.
    if (cursor == nullptr || !windowing::On_Window_Thread() || !windowing::Video_Running()) return previous;
    WINDOW_THREAD_ONLY();
    auto& entry = *reinterpret_cast<Cursor_Entry*>(cursor);
    if (!entry.tried) {
        entry.cursor = SDL_CreateSystemCursor(entry.shape);  // fails without a display: tolerated
        entry.tried = true;
    }
    if (entry.cursor != nullptr) SDL_SetCursor(entry.cursor);
    return previous;
}

HCURSOR GetCursor() { return current_cursor.load(); }

int testing_hooks::Cursor_Shape(HCURSOR cursor) {
    for (Cursor_Entry& entry : cursors)
        if (Handle_Of(entry) == cursor) return entry.shape;
    return -1;
}
