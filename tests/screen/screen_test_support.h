// Small tools shared by the screen-object tests: an object that records what
// the manager asks of it, a window that counts its paints, a list box that
// can be read back, and pixel and file helpers.
#pragma once

#include "screen/on_screen_object.h"
#include "screen/on_screen_object_manager.h"
#include "screen/picture_file.h"
#include "support/pictures.h"
#include "support/test_window.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace screen_test {

// One call of Handle_Event, as an object saw it.
struct Event_Seen {
    std::string who;
    Event_Code code;
    int x;
    int y;
    bool operator==(const Event_Seen&) const = default;
};
using Event_Log = std::vector<Event_Seen>;

// A screen object that answers with fixed codes and writes down every event
// it is given and every time it is drawn. It accepts the points of `area`
// (boundary included), or every point when `hits_everywhere` is set.
class Recording_Object : public On_Screen_Object {
public:
    Recording_Object(std::string object_name, Event_Log& event_log) : name(std::move(object_name)), log(&event_log) {}

    void Set_Cursor(int, int) override {}
    void Draw(HDC dc) override {
        if (draw_log != nullptr) draw_log->push_back(name);
        if (fill.has_value()) {
            HBRUSH brush = CreateSolidBrush(*fill);
            FillRect(dc, &area, brush);
            DeleteObject(brush);
        }
    }
    bool Hit_Test(int x, int y) override { return hits_everywhere || Point_In(area, x, y); }
    Action_Code Handle_Event(Event_Code code, int x, int y) override {
        log->push_back(Event_Seen{name, code, x, y});
        return code == Menu_Closed ? answer_to_menu_closed : answer;
    }

    std::string name;
    Event_Log* log;
    RECT area{0, 0, -1, -1};  // accepts nothing until given an area
    bool hits_everywhere = false;
    Action_Code answer = No_Action;
    Action_Code answer_to_menu_closed = No_Action;
    std::vector<std::string>* draw_log = nullptr;
    std::optional<COLORREF> fill;
};

// The objects of a list, front to back, by name (every object must be a
// Recording_Object).
inline std::vector<std::string> Names_In_Order(const Window_Object_List& list) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < list.object_count; ++i)
        names.push_back(static_cast<const Recording_Object*>(list.objects[i])->name);
    return names;
}

// Paints seen per window, counted by Counting_Window's procedure.
inline std::map<HWND, int>& Paint_Counts() {
    static std::map<HWND, int> counts;
    return counts;
}

// The manager whose objects a Counting_Window draws when it paints, or null.
inline On_Screen_Object_Manager*& Painting_Manager() {
    static On_Screen_Object_Manager* manager = nullptr;
    return manager;
}

inline LRESULT CALLBACK Counting_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        ++Paint_Counts()[window];
        if (Painting_Manager() != nullptr) Painting_Manager()->Paint_Window(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// A real window that counts its paints; as the program's window does, its
// paint draws the objects the painting manager holds for it. A repaint asked
// for on the thread that made it is carried out before the request returns.
class Counting_Window {
public:
    explicit Counting_Window(On_Screen_Object_Manager* manager = nullptr) : window(Counting_Procedure) {
        Painting_Manager() = manager;
        // Let the paint that showing the window asked for happen now, so that
        // the count starts from a quiet window.
        UpdateWindow(window.Handle());
        Paint_Counts()[window.Handle()] = 0;
    }
    ~Counting_Window() { Painting_Manager() = nullptr; }

    HWND Handle() const { return window.Handle(); }
    int Paints() const { return Paint_Counts()[window.Handle()]; }

private:
    Test_Window window;
};

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

inline std::vector<uint8_t> Read_File(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void Write_File(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream file(path, std::ios::binary);
    file << contents;
}

// The names of the entries of a directory, sorted.
inline std::vector<std::string> Directory_Entries(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace screen_test
