// A window's object list: z-order, event delivery and the order in which the
// objects' answers are carried out.
#include "screen/window_object_list.h"

#include "screen_test_support.h"

#include <gtest/gtest.h>

#include <deque>

using namespace screen_test;

namespace {

// A handle that names no live window: repaints asked for it do nothing.
HWND Unpainted_Window() { return reinterpret_cast<HWND>(uintptr_t{0x5000}); }

class Screen_Window_Object_List_Test : public testing::Test {
protected:
    // A recording object that lives as long as the test.
    Recording_Object& Make(const std::string& name) { return objects.emplace_back(name, log); }
    // Makes the objects and adds them so that the first name ends up in front.
    void Fill(Window_Object_List& list, std::initializer_list<const char*> front_to_back) {
        std::vector<Recording_Object*> made;
        for (const char* name : front_to_back) made.push_back(&Make(name));
        for (auto it = made.rbegin(); it != made.rend(); ++it) list.Add_To_Front(*it);
    }
    Recording_Object& Object(Window_Object_List& list, int index) {
        return *static_cast<Recording_Object*>(list.objects[index]);
    }
    std::vector<std::string> Who_Saw() const {
        std::vector<std::string> names;
        for (const Event_Seen& seen : log) names.push_back(seen.who);
        return names;
    }

    Event_Log log;
    std::deque<Recording_Object> objects;
};

// ---------------------------------------------------------------- z-order

TEST_F(Screen_Window_Object_List_Test, AddToFrontPutsEachNewObjectInFrontAndGivesItTheWindow) {
    Window_Object_List list(Unpainted_Window());
    Recording_Object& a = Make("a");
    Recording_Object& b = Make("b");
    Recording_Object& c = Make("c");
    EXPECT_TRUE(list.Add_To_Front(&a));
    EXPECT_TRUE(list.Add_To_Front(&b));
    EXPECT_TRUE(list.Add_To_Front(&c));
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(list.objects.size(), 3u);
    for (const Recording_Object* object : {&a, &b, &c}) EXPECT_EQ(object->window, Unpainted_Window());
}

TEST_F(Screen_Window_Object_List_Test, AddingAnObjectAgainNeitherDuplicatesNorMovesIt) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"c", "b", "a"});
    Recording_Object& a = Object(list, 2);
    EXPECT_TRUE(list.Add_To_Front(&a));
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(Screen_Window_Object_List_Test, NullObjectIsRefusedAndTheListStaysAsItWas) {
    Window_Object_List list(Unpainted_Window());
    EXPECT_FALSE(list.Add_To_Front(nullptr));
    EXPECT_EQ(list.objects.size(), 0u);
    EXPECT_TRUE(list.objects.empty());
    Fill(list, {"b", "a"});
    EXPECT_FALSE(list.Add_To_Front(nullptr));
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"b", "a"}));
}

TEST_F(Screen_Window_Object_List_Test, RemoveKeepsTheOthersInOrderAndLeavesTheObjectAlone) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"c", "b", "a"});
    Recording_Object& b = Object(list, 1);
    b.active = true;
    EXPECT_TRUE(list.Remove(&b));
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"c", "a"}));
    EXPECT_EQ(b.window, Unpainted_Window());
    EXPECT_TRUE(b.active);
    EXPECT_FALSE(list.Remove(&b));
    EXPECT_FALSE(list.Remove(nullptr));

    list.Remove(list.objects[0]);
    list.Remove(list.objects[0]);
    EXPECT_EQ(list.objects.size(), 0u);
    EXPECT_TRUE(list.objects.empty());
}

// ---------------------------------------------------------------- who sees an event

TEST_F(Screen_Window_Object_List_Test, OnlyTheFirstObjectFrontToBackThatAcceptsThePointIsHit) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"elsewhere", "first", "second"});
    Object(list, 0).area = RECT{0, 0, 9, 9};
    Object(list, 1).area = RECT{10, 10, 50, 50};
    Object(list, 2).hits_everywhere = true;

    list.Dispatch(Right_Button_Down, 10, 50);  // the corner pixel of "first"
    EXPECT_EQ(log, (Event_Log{{"first", Right_Button_Down, 10, 50}}));
}

TEST_F(Screen_Window_Object_List_Test, BesidesTheHitObjectOnlyActiveObjectsSeeTheEventFrontToBack) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"idle", "active front", "hit", "hit behind", "active back"});
    Object(list, 1).active = true;
    Object(list, 2).hits_everywhere = true;
    Object(list, 3).hits_everywhere = true;
    Object(list, 4).active = true;

    list.Dispatch(Mouse_Move, 7, 8);
    EXPECT_EQ(Who_Saw(), (std::vector<std::string>{"hit", "active front", "active back"}));
    for (const Event_Seen& seen : log) {
        EXPECT_EQ(seen.code, Mouse_Move);
        EXPECT_EQ(seen.x, 7);
        EXPECT_EQ(seen.y, 8);
    }
}

TEST_F(Screen_Window_Object_List_Test, WhenNothingIsHitOnlyTheActiveObjectsSeeTheEvent) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"a", "b", "c"});
    Object(list, 0).active = true;
    Object(list, 2).active = true;
    list.Dispatch(Left_Button_Up, 1000, 1000);
    EXPECT_EQ(Who_Saw(), (std::vector<std::string>{"a", "c"}));
}

TEST_F(Screen_Window_Object_List_Test, AnActiveHitObjectSeesTheEventOnce) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"a"});
    Object(list, 0).active = true;
    Object(list, 0).hits_everywhere = true;
    list.Dispatch(Left_Button_Down, 3, 4);
    EXPECT_EQ(log, (Event_Log{{"a", Left_Button_Down, 3, 4}}));
}

// ---------------------------------------------------------------- carrying out the answers

TEST_F(Screen_Window_Object_List_Test, TheHitObjectsAnswerIsCarriedOutFirstThenTheActiveObjectsFrontToBack) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"a", "b", "c", "d", "e"});
    for (int i : {0, 2}) {
        Object(list, i).active = true;
        Object(list, i).answer = Bring_To_Front;
    }
    Object(list, 3).hits_everywhere = true;
    Object(list, 3).answer = Bring_To_Front;

    list.Dispatch(Left_Button_Down, 0, 0);
    // Carried out d, a, c: the last one brought forward stands in front.
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"c", "a", "d", "b", "e"}));
    EXPECT_EQ(list.actions.size(), 0u);
    EXPECT_TRUE(list.actions.empty());
}

TEST_F(Screen_Window_Object_List_Test, AClosedMenusOwnerIsToldWithTheEventsPointAndItsAnswerWaitsBehindEarlierOnes) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"menu", "x", "owner", "other"});
    Recording_Object& menu = Object(list, 0);
    Recording_Object& owner = Object(list, 2);
    Recording_Object& other = Object(list, 3);
    menu.area = RECT{0, 0, 100, 34};
    menu.active = true;
    menu.answer = Close_Menu;
    menu.owner = &owner;
    owner.answer_to_menu_closed = Bring_To_Front;
    other.active = true;
    other.answer = Bring_To_Front;

    list.Dispatch(Left_Button_Up, 20, 5);
    EXPECT_EQ(log, (Event_Log{{"menu", Left_Button_Up, 20, 5},
                              {"other", Left_Button_Up, 20, 5},
                              {"owner", Menu_Closed, 20, 5}}));
    // The menu is gone; "other" was brought forward before the owner was.
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"owner", "other", "x"}));

    // The closed menu keeps its active flag but, out of the list, sees nothing more.
    EXPECT_TRUE(menu.active);
    log.clear();
    list.Dispatch(Mouse_Move, 20, 5);
    EXPECT_EQ(Who_Saw(), (std::vector<std::string>{"other"}));
}

TEST_F(Screen_Window_Object_List_Test, OpenMenuAddsThePopupMenuInFrontOnceAndMovesItForwardWhenOpenedAgain) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"owner", "back"});
    Recording_Object& owner = Object(list, 0);
    Recording_Object& back = Object(list, 1);
    Recording_Object& menu = Make("menu");
    owner.popup_menu = &menu;
    owner.area = RECT{0, 0, 50, 50};
    owner.answer = Open_Menu;

    list.Dispatch(Right_Button_Up, 10, 10);
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"menu", "owner", "back"}));
    EXPECT_EQ(menu.window, Unpainted_Window());

    // Something else comes forward, then the owner opens the same menu again.
    back.area = RECT{100, 100, 300, 300};
    back.answer = Bring_To_Front;
    list.Dispatch(Left_Button_Down, 200, 200);
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"back", "menu", "owner"}));
    list.Dispatch(Right_Button_Up, 10, 10);
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"menu", "back", "owner"}));
}

TEST_F(Screen_Window_Object_List_Test, OpenMenuWithoutAPopupMenuAddsNothing) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"owner"});
    Object(list, 0).hits_everywhere = true;
    Object(list, 0).answer = Open_Menu;
    list.Dispatch(Right_Button_Up, 1, 1);
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"owner"}));
}

TEST_F(Screen_Window_Object_List_Test, CloseMenuForAnObjectOutsideTheListStillTellsItsOwner) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"owner", "b"});
    Recording_Object& outsider = Make("outsider");
    outsider.owner = &Object(list, 0);
    list.Push_Action(Close_Menu, &outsider);
    list.Process_Actions(4, 5);
    EXPECT_EQ(log, (Event_Log{{"owner", Menu_Closed, 4, 5}}));
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"owner", "b"}));
    EXPECT_EQ(list.actions.size(), 0u);
}

TEST_F(Screen_Window_Object_List_Test, BringToFrontForAnObjectOutsideTheListMovesNothing) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"a", "b"});
    list.Push_Action(Bring_To_Front, &Make("outsider"));
    list.Process_Actions(0, 0);
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(list.actions.size(), 0u);
}

TEST_F(Screen_Window_Object_List_Test, UnknownAnswersAreSkippedAndTheAnswersBehindThemStillCarriedOut) {
    Window_Object_List list(Unpainted_Window());
    Fill(list, {"a", "b", "c"});
    Recording_Object& c = Object(list, 2);
    Recording_Object& menu = Make("menu");
    c.popup_menu = &menu;
    c.owner = &Object(list, 0);
    for (int code : {0, 6, 99, -1}) list.Push_Action(static_cast<Action_Code>(code), &c);
    list.Push_Action(Bring_To_Front, &Object(list, 1));
    list.Process_Actions(0, 0);
    // None of them opens c's menu, takes c out or tells c's owner anything.
    EXPECT_EQ(Names_In_Order(list), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(list.actions.size(), 0u);
}

// ---------------------------------------------------------------- repaints

class Screen_Window_Object_List_Repaint_Test : public Screen_Window_Object_List_Test {
protected:
    Counting_Window window;
};

TEST_F(Screen_Window_Object_List_Repaint_Test, EveryActionButNoActionAndUnknownCodesRepaintsOnce) {
    Window_Object_List list(window.Handle());
    Fill(list, {"a", "b"});
    Recording_Object& a = Object(list, 0);
    Recording_Object& b = Object(list, 1);
    Recording_Object& menu = Make("menu");
    a.popup_menu = &menu;
    menu.owner = &b;

    struct Case {
        Action_Code code;
        On_Screen_Object* object;
        int paints;
    };
    const Case cases[] = {
        {No_Action, &a, 0},
        {static_cast<Action_Code>(0), &a, 0},
        {static_cast<Action_Code>(6), &a, 0},
        {static_cast<Action_Code>(-3), &a, 0},
        {Repaint, &a, 1},
        {Bring_To_Front, &b, 1},
        {Bring_To_Front, &Make("outsider"), 1},  // nothing moves, the window is still repainted
        {Open_Menu, &a, 1},
        {Open_Menu, &b, 1},  // no popup menu: nothing added, still repainted
        {Close_Menu, &menu, 1},  // the owner answers No_Action: no second repaint
    };
    for (const Case& c : cases) {
        const int before = window.Paints();
        list.Push_Action(c.code, c.object);
        list.Process_Actions(0, 0);
        EXPECT_EQ(window.Paints() - before, c.paints) << "action code " << c.code;
    }
}

TEST_F(Screen_Window_Object_List_Repaint_Test, ClosingAMenuRepaintsAgainWhenTheOwnerAnswersWithAnAction) {
    Window_Object_List list(window.Handle());
    Fill(list, {"menu", "owner"});
    Recording_Object& menu = Object(list, 0);
    Recording_Object& owner = Object(list, 1);
    menu.hits_everywhere = true;
    menu.answer = Close_Menu;
    menu.owner = &owner;
    owner.answer_to_menu_closed = Repaint;

    list.Dispatch(Left_Button_Up, 1, 1);
    EXPECT_EQ(window.Paints(), 2);
}

TEST_F(Screen_Window_Object_List_Repaint_Test, AnEventAnsweredWithNoActionRepaintsNothing) {
    Window_Object_List list(window.Handle());
    Fill(list, {"a", "b"});
    Object(list, 0).hits_everywhere = true;
    Object(list, 1).active = true;
    list.Dispatch(Right_Button_Down, 1, 1);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(window.Paints(), 0);
}

}  // namespace
