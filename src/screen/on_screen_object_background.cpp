#include "screen/on_screen_object_background.h"

void On_Screen_Object_Background::Set_Cursor(int, int) { Set_Arrow_Cursor(); }

void On_Screen_Object_Background::Draw(HDC dc) {
    RECT client{};
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

bool On_Screen_Object_Background::Hit_Test(int, int) { return true; }

Action_Code On_Screen_Object_Background::Handle_Event(Event_Code code, int x, int y) {
    if (code == Mouse_Move) Set_Cursor(x, y);
    return No_Action;
}
