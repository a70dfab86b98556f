// A screen object that answers with fixed codes and writes down every event
// it is given and every time it is drawn.
#pragma once

#include "screen/on_screen_object.h"
#include "screen/window_object_list.h"

#include <optional>
#include <string>
#include <vector>

// One call of Handle_Event, as an object saw it.
struct Event_Seen {
    std::string who;
    Event_Code code;
    int x;
    int y;
    bool operator==(const Event_Seen&) const = default;
};
using Event_Log = std::vector<Event_Seen>;

// It accepts the points of `area` (boundary included), or every point when
// `hits_everywhere` is set.
class Recording_Object final : public On_Screen_Object {
public:
    Recording_Object(std::string object_name, Event_Log& event_log) : name(std::move(object_name)), log(&event_log) {}

    void Set_Cursor(int, int) override {}
    void Draw(HDC dc) override;
    bool Hit_Test(int x, int y) override { return hits_everywhere || Point_In(area, x, y); }
    Action_Code Handle_Event(Event_Code code, int x, int y) override;

    std::string name;
    Event_Log* log;
    RECT area{0, 0, -1, -1};  // accepts nothing until given an area
    bool hits_everywhere = false;
    Action_Code answer = No_Action;
    Action_Code answer_to_menu_closed = No_Action;
    std::vector<std::string>* draw_log = nullptr;
    std::optional<COLORREF> fill;
};

// The objects of a list, front to back, by name (every object must be a
// Recording_Object).
std::vector<std::string> Names_In_Order(const Window_Object_List& list);
