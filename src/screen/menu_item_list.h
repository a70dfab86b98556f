// A small list of texts, optionally bounded, that can mirror itself into a
// list box.
#pragma once

#include "platform.h"

#include <cstdint>
#include <string>
#include <vector>

class Menu_Item_List {
public:
    // Releases every text and sets every field to zero.
    void Clear();
    // Adds the text at the end (dropping the oldest from a full bounded
    // list), then mirrors the list into its list box if it has one.
    void Add_Item(std::string text);
    // Copies the list into the list box.
    void Mirror(HWND box);

    bool bounded = false;          // never more than capacity texts
    bool show_empty_text = false;  // a full refresh of an empty list writes "List is empty."
    bool incremental = false;      // update the list box line by line instead of rebuilding it
    HWND list_box = nullptr;
    int32_t capacity = 0;
    std::vector<std::string> strings;  // oldest first

    int32_t Count() const { return static_cast<int32_t>(strings.size()); }
};
