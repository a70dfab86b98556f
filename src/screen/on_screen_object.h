// The base of everything drawn in a window, and the two code tables by which
// objects and the manager talk.
#pragma once

#include "platform.h"

#include <cstdint>

// What happened: the first argument of Handle_Event. Other values may arrive
// and are answered with No_Action.
enum Event_Code : int32_t {
    Mouse_Move = 1,
    Right_Button_Down = 2,
    Right_Button_Up = 3,
    Left_Button_Down = 4,
    Left_Button_Up = 5,
    Menu_Closed = 6,  // sent by the manager to a menu's owner
};

// What the manager should do next: the answer of Handle_Event. Other values
// are treated as No_Action.
enum Action_Code : int32_t {
    No_Action = 1,
    Repaint = 2,
    Bring_To_Front = 3,
    Open_Menu = 4,
    Close_Menu = 5,
};

// A screen object draws itself, says whether a point lies on it, sets the
// cursor and answers mouse events. Objects are owned by their creators and
// destroyed through their own class; the manager only points at them.
class On_Screen_Object {
public:
    On_Screen_Object(const On_Screen_Object&) = delete;
    On_Screen_Object& operator=(const On_Screen_Object&) = delete;

    virtual void Set_Cursor(int x, int y) = 0;
    virtual void Draw(HDC dc) = 0;
    virtual bool Hit_Test(int x, int y) = 0;
    virtual Action_Code Handle_Event(Event_Code code, int x, int y) = 0;

    On_Screen_Object* popup_menu = nullptr;  // shown when the object answers Open_Menu; not owned
    On_Screen_Object* owner = nullptr;       // for a menu: the object told when it closes; not owned
    bool active = false;                     // receives every mouse event of its window
    HWND window = nullptr;                   // set by the manager when the object is added

protected:
    On_Screen_Object() = default;
    ~On_Screen_Object() = default;
};

// Makes the standard arrow the current cursor.
void Set_Arrow_Cursor();

// Loads a standard system cursor and makes it the current one.
void Set_System_Cursor(LPCSTR cursor_name);

// Invalidates the window's whole client area and has it painted before
// returning, also when called from a thread that does not own the window.
void Repaint_Now(HWND window);

// Whether a point lies in a rectangle, the boundary counted as inside.
inline bool Point_In(const RECT& r, int x, int y) {
    return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}
