#include "support/recording_object.h"

void Recording_Object::Draw(HDC dc) {
    if (draw_log != nullptr) draw_log->push_back(name);
    if (fill.has_value()) {
        HBRUSH brush = CreateSolidBrush(*fill);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    }
}

Action_Code Recording_Object::Handle_Event(Event_Code code, int x, int y) {
    log->push_back(Event_Seen{name, code, x, y});
    return code == Menu_Closed ? answer_to_menu_closed : answer;
}

std::vector<std::string> Names_In_Order(const Window_Object_List& list) {
    std::vector<std::string> names;
    for (size_t i = 0; i < list.objects.size(); ++i)
        names.push_back(static_cast<const Recording_Object*>(list.objects[i])->name);
    return names;
}
