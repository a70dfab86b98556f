#include "screen/on_screen_object_movable_rect.h"

#include <cstdlib>

namespace {
constexpr int edge_tolerance = 4;  // pixels across an edge that still count as on it
constexpr int minimum_size = 2;    // an edge never comes closer than this to the opposite one
}  // namespace

bool On_Screen_Object_Movable_RECT::Near_Top_Edge(int x, int y) const {
    return std::abs(y - rect->top) <= edge_tolerance && rect->left <= x && x <= rect->right;
}

bool On_Screen_Object_Movable_RECT::Near_Bottom_Edge(int x, int y) const {
    return std::abs(y - rect->bottom) <= edge_tolerance && rect->left <= x && x <= rect->right;
}

bool On_Screen_Object_Movable_RECT::Near_Left_Edge(int x, int y) const {
    return std::abs(x - rect->left) <= edge_tolerance && rect->top <= y && y <= rect->bottom;
}

bool On_Screen_Object_Movable_RECT::Near_Right_Edge(int x, int y) const {
    return std::abs(x - rect->right) <= edge_tolerance && rect->top <= y && y <= rect->bottom;
}

bool On_Screen_Object_Movable_RECT::Choose_Resize_Cursor(int x, int y) {
    const RECT& r = *rect;
    if (moving) {
        Set_System_Cursor(IDC_SIZEALL);
    } else if ((x == r.left && y == r.bottom) || (x == r.right && y == r.top)) {
        Set_System_Cursor(IDC_SIZENESW);
    } else if ((x == r.right && y == r.bottom) || (x == r.left && y == r.top)) {
        Set_System_Cursor(IDC_SIZENWSE);
    } else if (Near_Left_Edge(x, y) || Near_Right_Edge(x, y)) {
        Set_System_Cursor(IDC_SIZEWE);
    } else if (Near_Top_Edge(x, y) || Near_Bottom_Edge(x, y)) {
        Set_System_Cursor(IDC_SIZENS);
    } else {
        return false;
    }
    return true;
}

void On_Screen_Object_Movable_RECT::Set_Cursor(int x, int y) {
    if (!Choose_Resize_Cursor(x, y)) Set_Arrow_Cursor();
}

void On_Screen_Object_Movable_RECT::Start_Resize(int x, int y) {
    if (Near_Top_Edge(x, y)) resize_top = active = true;
    if (Near_Bottom_Edge(x, y)) resize_bottom = active = true;
    if (Near_Left_Edge(x, y)) resize_left = active = true;
    if (Near_Right_Edge(x, y)) resize_right = active = true;
}

bool On_Screen_Object_Movable_RECT::Drag(int x, int y) {
    RECT& r = *rect;
    bool changed = false;
    if (moving) {
        const int dy = r.top + grab_dy - y;
        const int dx = r.left + grab_dx - x;
        r.top -= dy;
        r.bottom -= dy;
        r.left -= dx;
        r.right -= dx;
        changed = true;
    }
    if (resize_bottom && y - r.top >= minimum_size) {
        r.bottom = y;
        changed = true;
    }
    if (resize_top && r.bottom - y >= minimum_size) {
        r.top = y;
        changed = true;
    }
    if (resize_left && r.right - x >= minimum_size) {
        r.left = x;
        changed = true;
    }
    if (resize_right && x - r.left >= minimum_size) {
        r.right = x;
        changed = true;
    }
    return changed;
}

void On_Screen_Object_Movable_RECT::End_Move_And_Resize() {
    moving = resize_top = resize_bottom = resize_right = resize_left = false;
    active = false;
}

void On_Screen_Object_Movable_RECT::Start_Move(int x, int y) {
    moving = true;
    grab_dx = x - rect->left;
    grab_dy = y - rect->top;
    active = true;
}

Action_Code On_Screen_Object_Movable_RECT::Handle_Event(Event_Code code, int x, int y) {
    switch (code) {
        case Mouse_Move:
            Set_Cursor(x, y);
            return Drag(x, y) ? Repaint : No_Action;
        case Right_Button_Up:
            Open_Own_Menu({"Move window"}, x, y);
            return Open_Menu;
        case Left_Button_Down:
            Start_Resize(x, y);
            return Bring_To_Front;
        case Left_Button_Up:
            End_Move_And_Resize();
            return Bring_To_Front;
        case Menu_Closed:
            if (menu.selected_index == 0) Start_Move(x, y);
            return No_Action;
        default:
            return No_Action;
    }
}
