#include "screen/on_screen_object_right_click_menu.h"

#include <algorithm>

namespace {
constexpr COLORREF menu_colour = 0xDE0000;
constexpr COLORREF highlight_colour = 0x0121FF;
// The width rule assumes this many pixels per character of the longest item.
constexpr double pixels_per_character = 8.5;
}  // namespace

void On_Screen_Object_Right_Click_Menu::Open_At(int x, int y) {
    bounds.top = y;
    bounds.left = x;
    bounds.bottom = y + items.Count() * item_height;
    active = true;
    background_colour = menu_colour;
    size_t longest = 0;
    for (const std::string& item : items.strings) longest = std::max(longest, item.size());
    bounds.right = x + static_cast<LONG>(static_cast<double>(longest) * pixels_per_character);
}

void On_Screen_Object_Right_Click_Menu::Set_Cursor(int x, int y) {
    if (Hit_Test(x, y)) Set_System_Cursor(IDC_HAND);
}

void On_Screen_Object_Right_Click_Menu::Draw(HDC dc) {
    HBRUSH fill = CreateSolidBrush(background_colour);
    HBRUSH highlight = CreateSolidBrush(highlight_colour);
    SetBkMode(dc, TRANSPARENT);
    FillRect(dc, &bounds, fill);
    RECT band{bounds.left, bounds.top, bounds.right, bounds.top + item_height};
    for (int32_t i = 0; i < items.Count(); ++i) {
        if (i == hover_index) FillRect(dc, &band, highlight);
        DrawTextA(dc, items.strings[i].c_str(), static_cast<int>(items.strings[i].size()), &band, 0);
        band.top += item_height;
        band.bottom += item_height;
    }
    DeleteObject(fill);
    DeleteObject(highlight);
}

bool On_Screen_Object_Right_Click_Menu::Hit_Test(int x, int y) { return Point_In(bounds, x, y); }

Action_Code On_Screen_Object_Right_Click_Menu::Handle_Event(Event_Code code, int x, int y) {
    if (code == Mouse_Move) {
        Set_Cursor(x, y);
        const int32_t previous = hover_index;
        hover_index = Hit_Test(x, y) ? (y - bounds.top) / item_height : -1;
        if (hover_index != previous) InvalidateRect(window, &bounds, FALSE);
        return No_Action;
    }
    if (code == Left_Button_Up) {
        selected_index = hover_index;
        return Close_Menu;
    }
    return No_Action;
}
