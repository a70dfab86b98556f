#include "screen/on_screen_object_rect.h"

void On_Screen_Object_RECT::Set_Cursor(int, int) { Set_Arrow_Cursor(); }

void On_Screen_Object_RECT::Draw(HDC dc) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, rect, brush);
    DeleteObject(brush);
}

bool On_Screen_Object_RECT::Hit_Test(int x, int y) { return Point_In(*rect, x, y); }

void On_Screen_Object_RECT::Open_Own_Menu(std::initializer_list<const char*> labels, int x, int y) {
    popup_menu = &menu;
    menu.owner = this;
    menu.items.Clear();
    for (const char* label : labels) menu.items.Add_Item(label);
    menu.Open_At(x, y);
}

Action_Code On_Screen_Object_RECT::Handle_Event(Event_Code code, int x, int y) {
    switch (code) {
        case Mouse_Move:
            Set_Cursor(x, y);
            return No_Action;
        case Right_Button_Up:
            Open_Own_Menu({"Close"}, x, y);
            return Open_Menu;
        case Left_Button_Up:
            return Bring_To_Front;
        case Menu_Closed:
            colour = 0x373737;
            return Repaint;
        default:
            return No_Action;
    }
}
