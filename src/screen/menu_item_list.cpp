#include "screen/menu_item_list.h"

#include <utility>

void Menu_Item_List::Clear() {
    strings.reset();
    count = 0;
    bounded = false;
    show_empty_text = false;
    incremental = false;
    list_box = nullptr;
    capacity = 0;
}

void Menu_Item_List::Add_Item(std::string text) {
    if (bounded && count >= capacity && count > 0) {
        for (int32_t i = 1; i < count; ++i) strings[i - 1] = std::move(strings[i]);
        strings[count - 1] = std::move(text);
    } else {
        auto grown = std::make_unique<std::string[]>(static_cast<size_t>(count) + 1);
        for (int32_t i = 0; i < count; ++i) grown[i] = std::move(strings[i]);
        grown[count] = std::move(text);
        strings = std::move(grown);
        ++count;
    }
    if (list_box != nullptr) Mirror(list_box);
}

void Menu_Item_List::Mirror(HWND box) {
    if (incremental) {
        // Drop the box's oldest line only when the box is already full, so
        // that the box keeps the same texts as the list also while the list
        // is filling up.
        if (bounded && count >= capacity && SendMessageA(box, LB_GETCOUNT, 0, 0) >= capacity)
            SendMessageA(box, LB_DELETESTRING, 0, 0);
        if (count > 0)
            SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strings[count - 1].c_str()));
        return;
    }
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    if (count > 0) {
        for (int32_t i = 0; i < count; ++i)
            SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strings[i].c_str()));
    } else if (show_empty_text) {
        SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("List is empty."));
    }
}
