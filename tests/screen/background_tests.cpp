// The background object, and what every kind of screen object does with an
// event code it does not know.
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_bitmap.h"
#include "screen/on_screen_object_movable_rect.h"
#include "screen/on_screen_object_rect.h"
#include "screen/on_screen_object_right_click_menu.h"

#include "screen_test_support.h"
#include "support/canvas.h"
#include "support/temporary_directory.h"

#include <gtest/gtest.h>

#include <climits>

using namespace screen_test;

namespace {

TEST(Screen_Background, FillsTheWholeClientAreaOfItsWindowWithItsColour) {
    Counting_Window window;
    RECT client{};
    ASSERT_TRUE(GetClientRect(window.Handle(), &client));
    ASSERT_GT(client.right, 0);
    ASSERT_GT(client.bottom, 0);

    On_Screen_Object_Background background;
    EXPECT_EQ(background.colour, 0x646464u);
    background.colour = 0xFF0000;
    background.window = window.Handle();
    Canvas canvas(client.right + 20, client.bottom + 20, 0x00FF00);
    background.Draw(canvas.Dc());

    EXPECT_EQ(canvas.Count(client, 0xFF0000), client.right * client.bottom);
    EXPECT_EQ(canvas.At(client.right, 0), 0x00FF00u);
    EXPECT_EQ(canvas.At(0, client.bottom), 0x00FF00u);
    EXPECT_EQ(canvas.At(client.right + 10, client.bottom + 10), 0x00FF00u);
}

TEST(Screen_Background, TakesEveryPointAlsoOutsideTheWindow) {
    On_Screen_Object_Background background;
    for (auto [x, y] : {std::pair{0, 0}, {-1, -1}, {65535, 65535}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}})
        EXPECT_TRUE(background.Hit_Test(x, y)) << x << ", " << y;
}

TEST(Screen_Background, AnswersNoActionToEveryEventAndSetsTheArrowOnlyWhenThePointerMoves) {
    On_Screen_Object_Background background;
    for (int code : {2, 3, 4, 5, 6}) {
        SetCursor(System_Cursor(IDC_HAND));
        EXPECT_EQ(background.Handle_Event(static_cast<Event_Code>(code), 10, 10), No_Action) << "event " << code;
        EXPECT_EQ(GetCursor(), System_Cursor(IDC_HAND)) << "event " << code;
    }
    SetCursor(System_Cursor(IDC_HAND));
    EXPECT_EQ(background.Handle_Event(Mouse_Move, -40, 100000), No_Action);
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_ARROW));
    EXPECT_FALSE(background.active);
}

TEST(Screen_Background, ARightClickOnItOpensNoMenuAndRepaintsNothing) {
    Counting_Window window;
    On_Screen_Object_Background background;
    Window_Object_List list(window.Handle());
    list.Add_To_Front(&background);
    list.Dispatch(Right_Button_Down, 50, 50);
    list.Dispatch(Right_Button_Up, 50, 50);
    list.Dispatch(Left_Button_Down, 50, 50);
    list.Dispatch(Left_Button_Up, 50, 50);
    EXPECT_EQ(list.objects.size(), 1u);
    EXPECT_EQ(window.Paints(), 0);
}

// ---------------------------------------------------------------- unknown event codes

constexpr int unknown_codes[] = {0, 7, -1, 1000, INT_MIN};

template <typename Object>
void Expect_Unknown_Codes_Ignored(Object& object) {
    for (int code : unknown_codes) {
        SetCursor(System_Cursor(IDC_HAND));
        EXPECT_EQ(object.Handle_Event(static_cast<Event_Code>(code), 105, 105), No_Action) << "event " << code;
        EXPECT_EQ(GetCursor(), System_Cursor(IDC_HAND)) << "event " << code;
        EXPECT_FALSE(object.active) << "event " << code;
        EXPECT_EQ(object.popup_menu, nullptr) << "event " << code;
    }
}

TEST(Screen_Unknown_Event_Codes, AreAnsweredWithNoActionAndChangeNothingInEveryClass) {
    Temporary_Directory directory;

    On_Screen_Object_Background background;
    Expect_Unknown_Codes_Ignored(background);

    RECT place{100, 100, 200, 200};
    On_Screen_Object_RECT rect;
    rect.rect = &place;
    Expect_Unknown_Codes_Ignored(rect);
    EXPECT_EQ(rect.colour, 0x646464u);

    On_Screen_Object_Movable_RECT movable;
    movable.rect = &place;
    movable.menu.selected_index = 0;  // as if "Move window" had been chosen last time
    Expect_Unknown_Codes_Ignored(movable);
    EXPECT_FALSE(movable.moving);
    EXPECT_EQ(place.left, 100);
    EXPECT_EQ(place.top, 100);

    On_Screen_Object_Bitmap panel;
    panel.Setup(20, 20);
    panel.menu.selected_index = 1;  // as if "Output Bitmap" had been chosen last time
    Expect_Unknown_Codes_Ignored(panel);
    EXPECT_FALSE(panel.moving);
    EXPECT_TRUE(Directory_Entries(directory.Path()).empty());

    On_Screen_Object_Right_Click_Menu menu;
    menu.items.Add_Item("Close");
    menu.Open_At(100, 100);
    menu.active = false;
    menu.hover_index = 0;
    Expect_Unknown_Codes_Ignored(menu);
    EXPECT_EQ(menu.selected_index, -1);
    EXPECT_EQ(menu.hover_index, 0);
}

}  // namespace
