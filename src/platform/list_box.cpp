// The least list box: a child window of class "LISTBOX" that holds lines of
// text and answers the list-box messages that add, delete, count and read
// them. It is never drawn.
#include "windowing.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct List_Box_Lines {
    std::vector<std::string> lines;
};

LRESULT CALLBACK List_Box_Procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CREATE) {
        box->builtin_state = std::make_shared<List_Box_Lines>();
        return 0;
    }
    auto* state = static_cast<List_Box_Lines*>(box->builtin_state.get());
    if (state == nullptr) return DefWindowProcA(box, message, wparam, lparam);
    std::vector<std::string>& lines = state->lines;
    const auto index = static_cast<size_t>(wparam);
    switch (message) {
        case LB_ADDSTRING:
            lines.emplace_back(reinterpret_cast<const char*>(lparam) != nullptr
                                   ? reinterpret_cast<const char*>(lparam)
                                   : "");
            return static_cast<LRESULT>(lines.size() - 1);
        case LB_DELETESTRING:
            if (index >= lines.size()) return LB_ERR;
            lines.erase(lines.begin() + static_cast<ptrdiff_t>(index));
            return static_cast<LRESULT>(lines.size());
        case LB_RESETCONTENT:
            lines.clear();
            return 0;
        case LB_GETCOUNT:
            return static_cast<LRESULT>(lines.size());
        case LB_GETTEXTLEN:
            if (index >= lines.size()) return LB_ERR;
            return static_cast<LRESULT>(lines[index].size());
        case LB_GETTEXT: {
            if (index >= lines.size()) return LB_ERR;
            auto* buffer = reinterpret_cast<char*>(lparam);
            if (buffer == nullptr) return LB_ERR;
            std::memcpy(buffer, lines[index].c_str(), lines[index].size() + 1);
            return static_cast<LRESULT>(lines[index].size());
        }
        default:
            return DefWindowProcA(box, message, wparam, lparam);
    }
}

}  // namespace

// Registered with the layer's other classes before any window is made.
void windowing::Register_List_Box_Class() {
    static std::once_flag once;
    std::call_once(once, [] { Register_Builtin_Class("LISTBOX", List_Box_Procedure, Builtin_Kind::Control); });
}
