// A filled rectangle with a pop-up menu. The base of the movable rectangle.
#pragma once

#include "screen/on_screen_object.h"
#include "screen/on_screen_object_right_click_menu.h"

#include <initializer_list>

class On_Screen_Object_RECT : public On_Screen_Object {
public:
    On_Screen_Object_RECT() = default;
    ~On_Screen_Object_RECT() = default;

    void Set_Cursor(int x, int y) override;
    void Draw(HDC dc) override;
    bool Hit_Test(int x, int y) override;
    Action_Code Handle_Event(Event_Code code, int x, int y) override;

    On_Screen_Object_Right_Click_Menu menu;
    COLORREF colour = 0x646464;
    // The object's place in client coordinates; not owned. Whoever creates
    // the object points it at a rectangle that lives as long as the object.
    RECT* rect = nullptr;

protected:
    // Fills the menu with the labels, opens it at the point and makes this
    // object its owner; the caller answers Open_Menu.
    void Open_Own_Menu(std::initializer_list<const char*> labels, int x, int y);
};
