// The object that fills a window's client area with one colour and takes
// every point that no object in front of it takes.
#pragma once

#include "screen/on_screen_object.h"

class On_Screen_Object_Background : public On_Screen_Object {
public:
    On_Screen_Object_Background() = default;
    ~On_Screen_Object_Background() = default;

    void Set_Cursor(int x, int y) override;
    void Draw(HDC dc) override;
    bool Hit_Test(int x, int y) override;
    Action_Code Handle_Event(Event_Code code, int x, int y) override;

    COLORREF colour = 0x646464;
};
