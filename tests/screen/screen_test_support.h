// Small tools shared by the screen-object tests: a list box that can be read
// back and the platform's cursors; and, from tests/support, an object that
// records what the manager asks of it, a window that counts its paints, and
// pixel and file helpers.
#pragma once

#include "screen/on_screen_object.h"
#include "screen/on_screen_object_manager.h"
#include "screen/picture_file.h"
#include "support/counting_window.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/recording_object.h"
#include "support/test_window.h"

#include <string>
#include <vector>

namespace screen_test {

// A platform list box that a test can fill and read back.
class Test_List_Box {
public:
    Test_List_Box() : box(CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr)) {}
    ~Test_List_Box() { DestroyWindow(box); }
    Test_List_Box(const Test_List_Box&) = delete;
    Test_List_Box& operator=(const Test_List_Box&) = delete;

    HWND Handle() const { return box; }
    void Add(const char* line) { SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line)); }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const auto count = SendMessageA(box, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const auto length = SendMessageA(box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            std::vector<char> buffer(static_cast<size_t>(length) + 1);
            SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.data()));
            lines.emplace_back(buffer.data());
        }
        return lines;
    }

private:
    HWND box;
};

// The cursor the platform gives for a standard cursor name.
inline HCURSOR System_Cursor(LPCSTR name) { return LoadCursorA(nullptr, name); }

}  // namespace screen_test
