// The pop-up menu: placement and size, following the pointer, the choice on
// release, its drawing; and its item list with the list-box mirror.
#include "screen/menu_item_list.h"
#include "screen/on_screen_object_right_click_menu.h"

#include "screen_test_support.h"
#include "support/canvas.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace screen_test;

namespace {

constexpr COLORREF menu_fill = 0xDE0000;
constexpr COLORREF highlight = 0x0121FF;

void Fill_Items(On_Screen_Object_Right_Click_Menu& menu, const std::vector<std::string>& labels) {
    menu.items.Clear();
    for (const std::string& label : labels) menu.items.Add_Item(label);
}

// ---------------------------------------------------------------- placement

TEST(Screen_Right_Click_Menu, OpenAtPutsTheTopLeftCornerAtThePointAndSizesTheMenuFromItsLabels) {
    On_Screen_Object_Right_Click_Menu menu;
    Fill_Items(menu, {"Move window"});
    menu.Open_At(100, 50);
    EXPECT_EQ(menu.bounds.left, 100);
    EXPECT_EQ(menu.bounds.top, 50);
    EXPECT_EQ(menu.bounds.right, 193);  // 11 characters × 8.5 = 93.5, truncated
    EXPECT_EQ(menu.bounds.bottom, 67);
    EXPECT_TRUE(menu.active);
    EXPECT_EQ(menu.background_colour, menu_fill);

    Fill_Items(menu, {"Move window", "Output Bitmap"});
    menu.Open_At(7, 300);
    EXPECT_EQ(menu.bounds.left, 7);
    EXPECT_EQ(menu.bounds.top, 300);
    EXPECT_EQ(menu.bounds.right, 7 + 110);  // 13 × 8.5 = 110.5
    EXPECT_EQ(menu.bounds.bottom, 300 + 2 * 17);
}

TEST(Screen_Right_Click_Menu, WidthDependsOnlyOnTheLongestLabel) {
    struct Case {
        std::vector<std::string> labels;
        int width;
    };
    const Case cases[] = {
        {{}, 0},
        {{""}, 0},
        {{"a"}, 8},
        {{"abc"}, 25},
        {{"ab", "abcdefghijk", "abc"}, 93},
        {{"abcdefghijk", "WWWWWWWWWWW"}, 93},  // the characters' shapes do not matter
        {{"x", "y", "z", "abcd"}, 34},
    };
    for (const Case& c : cases) {
        On_Screen_Object_Right_Click_Menu menu;
        Fill_Items(menu, c.labels);
        menu.Open_At(100, 40);
        EXPECT_EQ(menu.bounds.right - menu.bounds.left, c.width) << c.labels.size() << " labels";
        EXPECT_EQ(menu.bounds.bottom - menu.bounds.top, static_cast<int>(c.labels.size()) * 17);
    }
}

TEST(Screen_Right_Click_Menu, AcceptsThePointsOfItsBoundsBoundaryIncluded) {
    On_Screen_Object_Right_Click_Menu menu;
    Fill_Items(menu, {"Move window", "Output Bitmap"});
    menu.Open_At(100, 50);  // 100..210 × 50..84
    EXPECT_TRUE(menu.Hit_Test(100, 50));
    EXPECT_TRUE(menu.Hit_Test(210, 84));
    EXPECT_TRUE(menu.Hit_Test(150, 84));
    EXPECT_FALSE(menu.Hit_Test(99, 60));
    EXPECT_FALSE(menu.Hit_Test(211, 60));
    EXPECT_FALSE(menu.Hit_Test(150, 49));
    EXPECT_FALSE(menu.Hit_Test(150, 85));
}

// ---------------------------------------------------------------- following the pointer

class Screen_Open_Menu_Test : public testing::Test {
protected:
    void SetUp() override {
        Fill_Items(menu, {"Move window", "Output Bitmap"});
        menu.Open_At(100, 50);  // items at y 50..66 and 67..83; bottom edge 84
    }
    int Hover_After_Move(int x, int y) {
        EXPECT_EQ(menu.Handle_Event(Mouse_Move, x, y), No_Action);
        return menu.hover_index;
    }

    On_Screen_Object_Right_Click_Menu menu;
};

TEST_F(Screen_Open_Menu_Test, HoverIndexIsTheItemRowUnderThePointer) {
    EXPECT_EQ(Hover_After_Move(100, 50), 0);
    EXPECT_EQ(Hover_After_Move(210, 66), 0);
    EXPECT_EQ(Hover_After_Move(150, 67), 1);
    EXPECT_EQ(Hover_After_Move(150, 83), 1);
}

TEST_F(Screen_Open_Menu_Test, TheBottomEdgeGivesTheItemCountAndOutsideGivesMinusOne) {
    EXPECT_EQ(Hover_After_Move(150, 84), 2);
    EXPECT_EQ(Hover_After_Move(150, 85), -1);
    EXPECT_EQ(Hover_After_Move(99, 60), -1);
    EXPECT_EQ(Hover_After_Move(211, 60), -1);
    EXPECT_EQ(Hover_After_Move(150, 49), -1);
    EXPECT_EQ(Hover_After_Move(-5000, -5000), -1);
}

TEST_F(Screen_Open_Menu_Test, ShowsTheHandOnlyOverTheMenu) {
    SetCursor(System_Cursor(IDC_ARROW));
    menu.Handle_Event(Mouse_Move, 120, 60);
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_HAND));

    SetCursor(System_Cursor(IDC_SIZEALL));
    menu.Handle_Event(Mouse_Move, 300, 300);
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_SIZEALL));

    menu.Set_Cursor(210, 84);
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_HAND));
}

TEST_F(Screen_Open_Menu_Test, ReleasingTheLeftButtonChoosesTheHoveredItemWhereverThePointerIs) {
    Hover_After_Move(150, 70);
    EXPECT_EQ(menu.Handle_Event(Left_Button_Up, 150, 70), Close_Menu);
    EXPECT_EQ(menu.selected_index, 1);

    // The point of the release is not looked at: the last movement decides.
    Hover_After_Move(150, 55);
    EXPECT_EQ(menu.Handle_Event(Left_Button_Up, 1000, 1000), Close_Menu);
    EXPECT_EQ(menu.selected_index, 0);

    Hover_After_Move(1000, 1000);
    EXPECT_EQ(menu.Handle_Event(Left_Button_Up, 1000, 1000), Close_Menu);
    EXPECT_EQ(menu.selected_index, -1);

    Hover_After_Move(150, 84);
    EXPECT_EQ(menu.Handle_Event(Left_Button_Up, 150, 84), Close_Menu);
    EXPECT_EQ(menu.selected_index, 2);  // no item has this index
}

TEST_F(Screen_Open_Menu_Test, ReopenedWithoutMovementTheReleaseChoosesThePreviousHover) {
    Hover_After_Move(150, 70);
    menu.Handle_Event(Left_Button_Up, 150, 70);
    Fill_Items(menu, {"Move window", "Output Bitmap"});
    menu.Open_At(400, 400);
    EXPECT_EQ(menu.hover_index, 1);
    EXPECT_EQ(menu.selected_index, 1);
    EXPECT_EQ(menu.Handle_Event(Left_Button_Up, 10, 10), Close_Menu);
    EXPECT_EQ(menu.selected_index, 1);
}

TEST_F(Screen_Open_Menu_Test, OtherEventsAreAnsweredWithNoActionAndChooseNothing) {
    Hover_After_Move(150, 55);
    for (Event_Code code : {Right_Button_Down, Right_Button_Up, Left_Button_Down, Menu_Closed}) {
        EXPECT_EQ(menu.Handle_Event(code, 150, 70), No_Action) << "event " << code;
        EXPECT_EQ(menu.hover_index, 0);
        EXPECT_EQ(menu.selected_index, -1);
        EXPECT_TRUE(menu.active);
    }
}

TEST_F(Screen_Open_Menu_Test, AChangedHoverAsksForALaterRepaintOnly) {
    Counting_Window window;
    menu.window = window.Handle();
    Hover_After_Move(150, 55);
    const int before = window.Paints();
    Hover_After_Move(150, 70);
    EXPECT_EQ(window.Paints(), before);  // not painted at once
    Pump_Waiting_Messages();
    EXPECT_EQ(window.Paints(), before + 1);  // when the window's thread is free

    // Once things are quiet, a movement within the same item asks for nothing.
    Pump_Waiting_Messages();
    const int settled = window.Paints();
    Hover_After_Move(160, 72);
    Pump_Waiting_Messages();
    EXPECT_EQ(window.Paints(), settled);
}

// ---------------------------------------------------------------- drawing

class Screen_Menu_Drawing_Test : public testing::Test {
protected:
    void SetUp() override {
        Fill_Items(menu, {"Move window", "Output Bitmap"});
        menu.Open_At(20, 30);  // 20..130 × 30..64; the longer label's text ends before x = 128
    }
    RECT Band(int index) const { return RECT{20, 30 + 17 * index, 130, 30 + 17 * (index + 1)}; }
    // A strip at the right of a band that no text reaches.
    RECT Right_Strip(int index) const { return RECT{128, 30 + 17 * index, 130, 30 + 17 * (index + 1)}; }
    // Pixels of the area that are none of the given colours: the text's ink.
    int Ink(const RECT& area, std::initializer_list<COLORREF> not_ink) const {
        int ink = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (std::find(not_ink.begin(), not_ink.end(), canvas.At(x, y)) == not_ink.end()) ++ink;
        return ink;
    }

    On_Screen_Object_Right_Click_Menu menu;
    Canvas canvas{200, 100, 0xFFFFFF};
};

TEST_F(Screen_Menu_Drawing_Test, FillsItsBoundsAndDrawsEachLabelInItsOwnBand) {
    menu.Draw(canvas.Dc());
    EXPECT_EQ(canvas.Count(RECT{128, 30, 130, 64}, menu_fill), 2 * 34);
    EXPECT_EQ(canvas.Count(RECT{20, 30, 130, 64}, highlight), 0);
    // The text leaves the fill around it: nothing white inside the menu.
    EXPECT_EQ(canvas.Count(RECT{20, 30, 130, 64}, 0xFFFFFF), 0);
    EXPECT_GT(Ink(Band(0), {menu_fill}), 0);
    EXPECT_GT(Ink(Band(1), {menu_fill}), 0);
    // Nothing outside the menu is touched.
    EXPECT_EQ(canvas.Count(RECT{0, 0, 200, 30}, 0xFFFFFF), 200 * 30);
    EXPECT_EQ(canvas.Count(RECT{0, 64, 200, 100}, 0xFFFFFF), 200 * 36);
    EXPECT_EQ(canvas.Count(RECT{0, 30, 20, 64}, 0xFFFFFF), 20 * 34);
    EXPECT_EQ(canvas.Count(RECT{130, 30, 200, 64}, 0xFFFFFF), 70 * 34);
}

TEST_F(Screen_Menu_Drawing_Test, HighlightsTheHoveredBandAndDrawsItsTextOverTheHighlight) {
    menu.Handle_Event(Mouse_Move, 50, 50);
    ASSERT_EQ(menu.hover_index, 1);
    menu.Draw(canvas.Dc());
    EXPECT_EQ(canvas.Count(Right_Strip(0), menu_fill), 2 * 17);
    EXPECT_EQ(canvas.Count(Right_Strip(1), highlight), 2 * 17);
    EXPECT_EQ(canvas.Count(Band(0), highlight), 0);
    EXPECT_GT(Ink(Band(1), {highlight}), 0);
    EXPECT_EQ(canvas.Count(RECT{0, 64, 200, 100}, 0xFFFFFF), 200 * 36);
}

TEST_F(Screen_Menu_Drawing_Test, OnTheBottomEdgeNothingIsHighlighted) {
    menu.Handle_Event(Mouse_Move, 50, 64);
    ASSERT_EQ(menu.hover_index, 2);
    menu.Draw(canvas.Dc());
    EXPECT_EQ(canvas.Count(RECT{0, 0, 200, 100}, highlight), 0);
    EXPECT_EQ(canvas.Count(RECT{0, 64, 200, 100}, 0xFFFFFF), 200 * 36);
}

// ---------------------------------------------------------------- the item list

std::vector<std::string> Items(const Menu_Item_List& list) {
    return list.strings;
}

TEST(Screen_Menu_Item_List, GrowsInOrderWhenNotBounded) {
    Menu_Item_List list;
    for (const char* text : {"one", "two", "three", "four", "five"}) list.Add_Item(text);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"one", "two", "three", "four", "five"}));
}

TEST(Screen_Menu_Item_List, ABoundedListDropsItsOldestTextWhenFull) {
    Menu_Item_List list;
    list.bounded = true;
    list.capacity = 3;
    list.Add_Item("1st");
    list.Add_Item("2nd");
    list.Add_Item("3rd");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"1st", "2nd", "3rd"}));
    list.Add_Item("4th");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"2nd", "3rd", "4th"}));
    list.Add_Item("5th");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"3rd", "4th", "5th"}));

    Menu_Item_List single;
    single.bounded = true;
    single.capacity = 1;
    single.Add_Item("a");
    single.Add_Item("b");
    EXPECT_EQ(Items(single), (std::vector<std::string>{"b"}));
}

TEST(Screen_Menu_Item_List, ClearEmptiesTheListAndTurnsEveryOptionOff) {
    Test_List_Box box;
    Menu_Item_List list;
    list.bounded = list.show_empty_text = list.incremental = true;
    list.capacity = 5;
    list.list_box = box.Handle();
    list.Add_Item("a");
    list.Add_Item("b");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.strings.empty());
    EXPECT_FALSE(list.bounded);
    EXPECT_FALSE(list.show_empty_text);
    EXPECT_FALSE(list.incremental);
    EXPECT_EQ(list.list_box, nullptr);
    EXPECT_EQ(list.capacity, 0);

    // With the list box let go, additions no longer reach it.
    list.Add_Item("c");
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"a", "b"}));
}

TEST(Screen_Menu_Item_List, AFullRefreshRebuildsTheListBoxAfterEveryAddition) {
    Test_List_Box box;
    box.Add("left over");
    Menu_Item_List list;
    list.show_empty_text = true;
    list.list_box = box.Handle();
    list.Add_Item("a");
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"a"}));
    list.Add_Item("b");
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"a", "b"}));

    list.bounded = true;
    list.capacity = 2;
    list.Add_Item("c");
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"b", "c"}));
}

TEST(Screen_Menu_Item_List, AFullRefreshOfAnEmptyListWritesTheEmptyTextOnlyWhenAskedTo) {
    Test_List_Box box;
    Menu_Item_List list;
    box.Add("left over");
    list.Mirror(box.Handle());
    EXPECT_TRUE(box.Lines().empty());

    box.Add("left over");
    list.show_empty_text = true;
    list.Mirror(box.Handle());
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"List is empty."}));
}

TEST(Screen_Menu_Item_List, AnIncrementalUpdateAddsOnlyTheNewestLine) {
    Test_List_Box box;
    box.Add("kept");
    Menu_Item_List list;
    list.incremental = true;
    list.show_empty_text = true;
    list.Mirror(box.Handle());  // an empty list sends nothing, not even the empty text
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"kept"}));

    list.list_box = box.Handle();
    list.Add_Item("a");
    list.Add_Item("b");
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"kept", "a", "b"}));
}

TEST(Screen_Menu_Item_List, AnIncrementallyMirroredBoundedListKeepsTheListBoxEqualToTheList) {
    for (int capacity : {1, 2, 3}) {
        Test_List_Box box;
        Menu_Item_List list;
        list.incremental = true;
        list.bounded = true;
        list.capacity = capacity;
        list.list_box = box.Handle();
        for (int i = 1; i <= 6; ++i) {
            list.Add_Item("line " + std::to_string(i));
            EXPECT_EQ(box.Lines(), Items(list)) << "capacity " << capacity << ", after " << i << " lines";
        }
    }
}

}  // namespace
