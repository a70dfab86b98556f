#include "screen/window_object_list.h"

#include <algorithm>

int32_t Window_Object_List::Index_Of(const On_Screen_Object* object) const {
    const auto found = std::find(objects.begin(), objects.end(), object);
    return found == objects.end() ? -1 : static_cast<int32_t>(found - objects.begin());
}

void Window_Object_List::Move_To_Front(const On_Screen_Object* object) {
    const int32_t index = Index_Of(object);
    if (index <= 0) return;
    std::rotate(objects.begin(), objects.begin() + index, objects.begin() + index + 1);
}

bool Window_Object_List::Add_To_Front(On_Screen_Object* object) {
    if (Index_Of(object) >= 0) return true;
    if (object == nullptr) return false;
    objects.push_back(object);
    object->window = window;
    Move_To_Front(object);
    return true;
}

bool Window_Object_List::Remove(On_Screen_Object* object) {
    const int32_t index = Index_Of(object);
    if (index < 0) return false;
    objects.erase(objects.begin() + index);
    return true;
}

void Window_Object_List::Push_Action(Action_Code code, On_Screen_Object* object) {
    actions.push_back(Action_Entry{code, object});
}

void Window_Object_List::Pop_Action() { actions.erase(actions.begin()); }

void Window_Object_List::Dispatch(Event_Code code, int x, int y) {
    On_Screen_Object* hit = nullptr;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->Hit_Test(x, y)) {
            hit = objects[i];
            Push_Action(hit->Handle_Event(code, x, y), hit);
            break;
        }
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        On_Screen_Object* object = objects[i];
        if (object->active && object != hit) Push_Action(object->Handle_Event(code, x, y), object);
    }
    Process_Actions(x, y);
}

void Window_Object_List::Process_Actions(int x, int y) {
    while (!actions.empty()) {
        const Action_Entry entry = actions.front();
        switch (entry.code) {
            case Repaint:
                break;
            case Bring_To_Front:
                Move_To_Front(entry.object);
                break;
            case Open_Menu:
                Add_To_Front(entry.object->popup_menu);
                Move_To_Front(entry.object->popup_menu);
                break;
            case Close_Menu:
                Remove(entry.object);
                // Only menus answer Close_Menu, and they always have an owner;
                // an object without one is simply taken away.
                if (On_Screen_Object* owner = entry.object->owner)
                    Push_Action(owner->Handle_Event(Menu_Closed, x, y), owner);
                break;
            default:
                Pop_Action();
                continue;
        }
        Repaint_Now(window);
        Pop_Action();
    }
}
