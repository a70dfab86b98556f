#include "screen/window_object_list.h"

#include <algorithm>

int32_t Window_Object_List::Index_Of(const On_Screen_Object* object) const {
    for (int32_t i = 0; i < object_count; ++i)
        if (objects[i] == object) return i;
    return -1;
}

void Window_Object_List::Move_To_Front(const On_Screen_Object* object) {
    const int32_t index = Index_Of(object);
    if (index <= 0) return;
    On_Screen_Object* moving = objects[index];
    std::copy_backward(objects.get(), objects.get() + index, objects.get() + index + 1);
    objects[0] = moving;
}

bool Window_Object_List::Add_To_Front(On_Screen_Object* object) {
    if (Index_Of(object) >= 0) return true;
    if (object == nullptr) return false;
    auto grown = std::make_unique<On_Screen_Object*[]>(static_cast<size_t>(object_count) + 1);
    std::copy(objects.get(), objects.get() + object_count, grown.get());
    grown[object_count] = object;
    objects = std::move(grown);
    ++object_count;
    object->window = window;
    Move_To_Front(object);
    return true;
}

bool Window_Object_List::Remove(On_Screen_Object* object) {
    const int32_t index = Index_Of(object);
    if (index < 0) return false;
    std::unique_ptr<On_Screen_Object*[]> shrunk;
    if (object_count > 1) {
        shrunk = std::make_unique<On_Screen_Object*[]>(static_cast<size_t>(object_count) - 1);
        std::copy(objects.get(), objects.get() + index, shrunk.get());
        std::copy(objects.get() + index + 1, objects.get() + object_count, shrunk.get() + index);
    }
    objects = std::move(shrunk);
    --object_count;
    return true;
}

void Window_Object_List::Push_Action(Action_Code code, On_Screen_Object* object) {
    auto grown = std::make_unique<Action_Entry[]>(static_cast<size_t>(action_count) + 1);
    std::copy(actions.get(), actions.get() + action_count, grown.get());
    grown[action_count] = Action_Entry{code, object};
    actions = std::move(grown);
    ++action_count;
}

void Window_Object_List::Pop_Action() {
    std::unique_ptr<Action_Entry[]> shrunk;
    if (action_count > 1) {
        shrunk = std::make_unique<Action_Entry[]>(static_cast<size_t>(action_count) - 1);
        std::copy(actions.get() + 1, actions.get() + action_count, shrunk.get());
    }
    actions = std::move(shrunk);
    --action_count;
}

void Window_Object_List::Dispatch(Event_Code code, int x, int y) {
    On_Screen_Object* hit = nullptr;
    for (int32_t i = 0; i < object_count; ++i) {
        if (objects[i]->Hit_Test(x, y)) {
            hit = objects[i];
            Push_Action(hit->Handle_Event(code, x, y), hit);
            break;
        }
    }
    for (int32_t i = 0; i < object_count; ++i) {
        On_Screen_Object* object = objects[i];
        if (object->active && object != hit) Push_Action(object->Handle_Event(code, x, y), object);
    }
    Process_Actions(x, y);
}

void Window_Object_List::Process_Actions(int x, int y) {
    while (action_count > 0) {
        const Action_Entry entry = actions[0];
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
