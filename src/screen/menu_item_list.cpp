#include "screen/menu_item_list.h"

#include <utility>

void Menu_Item_List::Clear() {
    strings.clear();
    bounded = false;
    show_empty_text = false;
    incremental = false;
    list_box = nullptr;
    capacity = 0;
}

void Menu_Item_List::Add_Item(std::string text) {
    if (bounded && Count() >= capacity && !strings.empty()) strings.erase(strings.begin());
    strings.push_back(std::move(text));
    if (list_box != nullptr) Mirror(list_box);
}

void Menu_Item_List::Mirror(HWND box) {
    if (incremental) {
        // Drop the box's oldest line only when the box is already full, so
        // that the box keeps the same texts as the list also while the list
        // is filling up.
        if (bounded && Count() >= capacity && SendMessageA(box, LB_GETCOUNT, 0, 0) >= capacity)
            SendMessageA(box, LB_DELETESTRING, 0, 0);
        if (!strings.empty()) SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strings.back().c_str()));
        return;
    }
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    if (!strings.empty()) {
        for (const std::string& text : strings) SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (show_empty_text) {
        SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("List is empty."));
    }
}
