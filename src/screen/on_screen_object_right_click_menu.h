// The pop-up menu a rectangle or picture panel shows when it is right-clicked:
// a column of text items drawn over the window, the one under the pointer
// highlighted, closed by the next left-button release anywhere.
#pragma once

#include "screen/menu_item_list.h"
#include "screen/on_screen_object.h"

class On_Screen_Object_Right_Click_Menu : public On_Screen_Object {
public:
    On_Screen_Object_Right_Click_Menu() = default;
    ~On_Screen_Object_Right_Click_Menu() = default;

    // Places the menu with its top-left corner at the point, sizes it from
    // its items, colours it and makes it active.
    void Open_At(int x, int y);

    void Set_Cursor(int x, int y) override;
    void Draw(HDC dc) override;
    bool Hit_Test(int x, int y) override;
    Action_Code Handle_Event(Event_Code code, int x, int y) override;

    int32_t hover_index = -1;     // the item under the pointer, -1 for none
    int32_t item_height = 17;     // pixels per item row
    int32_t selected_index = -1;  // hover_index at the last left-button release
    Menu_Item_List items;
    COLORREF background_colour = 0;
    RECT bounds{};
};
