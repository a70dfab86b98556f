// One window's screen objects in front-to-back order, and the queue of the
// actions they asked for while an event is being delivered.
#pragma once

#include "screen/on_screen_object.h"

#include <cstdint>
#include <vector>

struct Action_Entry {
    Action_Code code;
    On_Screen_Object* object;
};

class Window_Object_List {
public:
    explicit Window_Object_List(HWND list_window = nullptr) : window(list_window) {}

    // Puts the object at the front (index 0) and gives it this window. An
    // object already in the list stays where it is; a null one is refused.
    bool Add_To_Front(On_Screen_Object* object);
    // Takes the object out; the others keep their order.
    bool Remove(On_Screen_Object* object);
    void Push_Action(Action_Code code, On_Screen_Object* object);
    void Pop_Action();
    // Delivers an event to the object hit by the point and to every active
    // object, then carries out their answers.
    void Dispatch(Event_Code code, int x, int y);
    void Process_Actions(int x, int y);

    // Index of the object in the list, or -1.
    int32_t Index_Of(const On_Screen_Object* object) const;

    // The queue of pending actions, oldest first; empty outside Dispatch.
    std::vector<Action_Entry> actions;
    HWND window = nullptr;
    // The objects, index 0 in front.
    std::vector<On_Screen_Object*> objects;

private:
    void Move_To_Front(const On_Screen_Object* object);
};
