// A rectangle that can be dragged to a new place after "Move window" is
// chosen from its menu, and resized by pressing the left button on or just
// inside an edge and dragging.
#pragma once

#include "screen/on_screen_object_rect.h"

class On_Screen_Object_Movable_RECT : public On_Screen_Object_RECT {
public:
    On_Screen_Object_Movable_RECT() = default;
    ~On_Screen_Object_Movable_RECT() = default;

    void Set_Cursor(int x, int y) override;
    Action_Code Handle_Event(Event_Code code, int x, int y) override;

    // Sets the move or resize cursor that fits the point; false if none does.
    bool Choose_Resize_Cursor(int x, int y);
    // Marks every edge the point is near as following the pointer.
    void Start_Resize(int x, int y);
    // Moves and resizes the rectangle after the pointer; true if it changed.
    bool Drag(int x, int y);

    // Whether a point is within 4 pixels across an edge and within its extent.
    bool Near_Top_Edge(int x, int y) const;
    bool Near_Bottom_Edge(int x, int y) const;
    bool Near_Left_Edge(int x, int y) const;
    bool Near_Right_Edge(int x, int y) const;

    bool moving = false;
    int32_t grab_dy = 0;  // pointer y minus top when moving started
    int32_t grab_dx = 0;  // pointer x minus left when moving started
    bool resize_top = false;
    bool resize_bottom = false;
    bool resize_right = false;
    bool resize_left = false;

protected:
    // What a left-button release does: every flag and active are cleared.
    void End_Move_And_Resize();
    // What choosing "Move window" does: follow the pointer from this point.
    void Start_Move(int x, int y);
};
