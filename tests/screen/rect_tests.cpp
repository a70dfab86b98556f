// The plain rectangle and the movable rectangle: hit test, drawing, menus,
// the cursor by position, starting a resize, dragging edges and moving.
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_movable_rect.h"
#include "screen/on_screen_object_rect.h"

#include "screen_test_support.h"
#include "support/canvas.h"

#include <gtest/gtest.h>

#include <array>

using namespace screen_test;

namespace {

std::vector<std::string> Menu_Labels(const On_Screen_Object_Right_Click_Menu& menu) {
    return menu.items.strings;
}

// ---------------------------------------------------------------- the plain rectangle

class Screen_Rect_Test : public testing::Test {
protected:
    void SetUp() override { rect.rect = &place; }
    RECT place{100, 100, 200, 180};
    On_Screen_Object_RECT rect;
};

TEST_F(Screen_Rect_Test, AcceptsThePointsOfItsRectangleBoundaryIncluded) {
    EXPECT_TRUE(rect.Hit_Test(100, 100));
    EXPECT_TRUE(rect.Hit_Test(200, 180));
    EXPECT_TRUE(rect.Hit_Test(150, 140));
    EXPECT_FALSE(rect.Hit_Test(99, 140));
    EXPECT_FALSE(rect.Hit_Test(201, 140));
    EXPECT_FALSE(rect.Hit_Test(150, 99));
    EXPECT_FALSE(rect.Hit_Test(150, 181));
    place = RECT{0, 0, 10, 10};  // follows the rectangle it points at
    EXPECT_TRUE(rect.Hit_Test(5, 5));
    EXPECT_FALSE(rect.Hit_Test(150, 140));
}

TEST_F(Screen_Rect_Test, DrawsItsRectangleInItsColour) {
    Canvas canvas(250, 250);
    rect.Draw(canvas.Dc());
    EXPECT_EQ(canvas.Count(place, 0x646464), 100 * 80);
    EXPECT_EQ(canvas.At(99, 99), 0xFFFFFFu);
    rect.colour = 0x0000FF;
    rect.Draw(canvas.Dc());
    EXPECT_EQ(canvas.Count(place, 0x0000FF), 100 * 80);
}

TEST_F(Screen_Rect_Test, AnswersEachEventAsARectangleWithoutMovement) {
    SetCursor(System_Cursor(IDC_HAND));
    EXPECT_EQ(rect.Handle_Event(Mouse_Move, 100, 100), No_Action);  // even on a corner: the arrow
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_ARROW));
    EXPECT_EQ(rect.Handle_Event(Right_Button_Down, 150, 140), No_Action);
    EXPECT_EQ(rect.Handle_Event(Left_Button_Down, 100, 100), No_Action);
    EXPECT_EQ(rect.Handle_Event(Left_Button_Up, 150, 140), Bring_To_Front);
    EXPECT_FALSE(rect.active);
    EXPECT_EQ(place.left, 100);
    EXPECT_EQ(place.bottom, 180);
}

TEST_F(Screen_Rect_Test, RightButtonUpOpensItsCloseMenuAtThePoint) {
    EXPECT_EQ(rect.Handle_Event(Right_Button_Up, 120, 130), Open_Menu);
    EXPECT_EQ(rect.popup_menu, &rect.menu);
    EXPECT_EQ(rect.menu.owner, &rect);
    EXPECT_EQ(Menu_Labels(rect.menu), (std::vector<std::string>{"Close"}));
    EXPECT_TRUE(rect.menu.active);
    EXPECT_EQ(rect.menu.bounds.left, 120);
    EXPECT_EQ(rect.menu.bounds.top, 130);
    EXPECT_EQ(rect.menu.bounds.right, 120 + 42);  // 5 × 8.5
    EXPECT_EQ(rect.menu.bounds.bottom, 130 + 17);

    // Opened again: refilled, not added to.
    rect.Handle_Event(Right_Button_Up, 10, 20);
    EXPECT_EQ(Menu_Labels(rect.menu), (std::vector<std::string>{"Close"}));
    EXPECT_EQ(rect.menu.bounds.top, 20);
}

TEST_F(Screen_Rect_Test, DarkensWhenItsMenuClosesWhateverWasChosen) {
    for (int chosen : {-1, 0, 1}) {
        rect.colour = 0x646464;
        rect.menu.selected_index = chosen;
        EXPECT_EQ(rect.Handle_Event(Menu_Closed, 0, 0), Repaint) << "chosen " << chosen;
        EXPECT_EQ(rect.colour, 0x373737u) << "chosen " << chosen;
    }
}

TEST_F(Screen_Rect_Test, AMenuClosedOutsideItStillDarkensTheRectangle) {
    On_Screen_Object_Background background;
    Window_Object_List list(nullptr);
    list.Add_To_Front(&background);
    list.Add_To_Front(&rect);

    list.Dispatch(Right_Button_Up, 150, 140);
    ASSERT_EQ(list.objects.size(), 3u);
    EXPECT_EQ(list.objects[0], &rect.menu);
    list.Dispatch(Mouse_Move, 500, 500);
    list.Dispatch(Left_Button_Up, 500, 500);
    EXPECT_EQ(rect.menu.selected_index, -1);
    EXPECT_EQ(list.objects.size(), 2u);
    EXPECT_EQ(list.Index_Of(&rect.menu), -1);
    EXPECT_EQ(rect.colour, 0x373737u);
}

// ---------------------------------------------------------------- the movable rectangle

class Screen_Movable_Rect_Test : public testing::Test {
protected:
    void SetUp() override { movable.rect = &place; }
    HCURSOR Cursor_At(int x, int y) {
        SetCursor(System_Cursor(IDC_HAND));  // none of the cursors the rectangle chooses
        movable.Handle_Event(Mouse_Move, x, y);
        return GetCursor();
    }
    struct Flags {
        bool top, bottom, left, right, active;
        bool operator==(const Flags&) const = default;
    };
    Flags Flags_Now() const {
        return Flags{movable.resize_top, movable.resize_bottom, movable.resize_left, movable.resize_right,
                     movable.active};
    }
    Flags Flags_After_Press(int x, int y) {
        On_Screen_Object_Movable_RECT fresh;
        fresh.rect = &place;
        EXPECT_EQ(fresh.Handle_Event(Left_Button_Down, x, y), Bring_To_Front);
        return Flags{fresh.resize_top, fresh.resize_bottom, fresh.resize_left, fresh.resize_right, fresh.active};
    }

    RECT place{100, 100, 200, 180};
    On_Screen_Object_Movable_RECT movable;
};

constexpr bool T = true;
constexpr bool F = false;

// A press on an edge, or up to four pixels from it inside or out, within
// the edge's extent, starts resizing that edge; near a corner, both edges.
TEST_F(Screen_Movable_Rect_Test, APressNearAnEdgeStartsResizingThatEdge) {
    const std::pair<POINT, Flags> presses[] = {
        {{150, 100}, {T, F, F, F, T}}, {{150, 104}, {T, F, F, F, T}}, {{150, 105}, {F, F, F, F, F}},
        {{150, 96}, {T, F, F, F, T}},  {{150, 95}, {F, F, F, F, F}},  {{150, 176}, {F, T, F, F, T}},
        {{150, 175}, {F, F, F, F, F}}, {{104, 140}, {F, F, T, F, T}}, {{105, 140}, {F, F, F, F, F}},
        {{196, 140}, {F, F, F, T, T}}, {{195, 140}, {F, F, F, F, F}},
        // Just left of the top edge's extent: only the left edge is near.
        {{99, 100}, {F, F, T, F, T}},  {{95, 100}, {F, F, F, F, F}},  {{150, 300}, {F, F, F, F, F}},
        {{100, 100}, {T, F, T, F, T}}, {{198, 178}, {F, T, F, T, T}},
    };
    for (const auto& [at, flags] : presses) EXPECT_EQ(Flags_After_Press(at.x, at.y), flags) << at.x << ", " << at.y;
    place = RECT{100, 100, 200, 108};  // 8 pixels high: both edges are near the middle row
    EXPECT_EQ(Flags_After_Press(150, 104), (Flags{T, T, F, F, T}));
}

TEST_F(Screen_Movable_Rect_Test, TheCursorFollowsThePositionOnTheRectangle) {
    EXPECT_EQ(Cursor_At(100, 180), System_Cursor(IDC_SIZENESW));  // bottom-left
    EXPECT_EQ(Cursor_At(200, 100), System_Cursor(IDC_SIZENESW));  // top-right
    EXPECT_EQ(Cursor_At(200, 180), System_Cursor(IDC_SIZENWSE));  // bottom-right
    EXPECT_EQ(Cursor_At(100, 100), System_Cursor(IDC_SIZENWSE));  // top-left
    // One pixel off a corner the left and right edges win over top and bottom.
    EXPECT_EQ(Cursor_At(101, 100), System_Cursor(IDC_SIZEWE));
    EXPECT_EQ(Cursor_At(100, 101), System_Cursor(IDC_SIZEWE));
    EXPECT_EQ(Cursor_At(199, 180), System_Cursor(IDC_SIZEWE));
    EXPECT_EQ(Cursor_At(103, 140), System_Cursor(IDC_SIZEWE));
    EXPECT_EQ(Cursor_At(197, 140), System_Cursor(IDC_SIZEWE));
    EXPECT_EQ(Cursor_At(150, 100), System_Cursor(IDC_SIZENS));
    EXPECT_EQ(Cursor_At(150, 104), System_Cursor(IDC_SIZENS));
    EXPECT_EQ(Cursor_At(150, 182), System_Cursor(IDC_SIZENS));
    EXPECT_EQ(Cursor_At(150, 105), System_Cursor(IDC_ARROW));
    EXPECT_EQ(Cursor_At(150, 140), System_Cursor(IDC_ARROW));
}

TEST_F(Screen_Movable_Rect_Test, TheCursorLooksAtThePointerNotAtTheResizeFlags) {
    movable.Handle_Event(Left_Button_Down, 150, 100);
    ASSERT_TRUE(movable.resize_top);
    SetCursor(System_Cursor(IDC_HAND));
    EXPECT_FALSE(movable.Choose_Resize_Cursor(150, 130));
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_HAND));
    movable.Set_Cursor(150, 130);
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_ARROW));
}

TEST_F(Screen_Movable_Rect_Test, WhileMovingTheCursorIsTheMoveCursorEverywhere) {
    movable.menu.selected_index = 0;
    movable.Handle_Event(Menu_Closed, 150, 140);
    ASSERT_TRUE(movable.moving);
    for (auto [x, y] : {std::pair{150, 140}, {100, 100}, {150, 100}, {900, 900}})
        EXPECT_EQ(Cursor_At(x, y), System_Cursor(IDC_SIZEALL)) << x << ", " << y;
}

TEST_F(Screen_Movable_Rect_Test, DraggedEdgesStayAtLeastTwoPixelsFromTheOppositeEdge) {
    struct Case {
        int press_x, press_y;  // starts the resize of one edge
        int drag_x, drag_y;
        RECT expected;
        Action_Code answer;
    };
    const Case cases[] = {
        {150, 180, 150, 101, {100, 100, 200, 180}, No_Action},  // bottom 1 below the top
        {150, 180, 150, 102, {100, 100, 200, 102}, Repaint},    // bottom 2 below the top
        {150, 180, 150, 50, {100, 100, 200, 180}, No_Action},   // bottom above the top
        {150, 180, 150, 250, {100, 100, 200, 250}, Repaint},
        {150, 100, 150, 179, {100, 100, 200, 180}, No_Action},  // top 1 above the bottom
        {150, 100, 150, 178, {100, 178, 200, 180}, Repaint},
        {150, 100, 150, 20, {100, 20, 200, 180}, Repaint},
        {100, 140, 199, 140, {100, 100, 200, 180}, No_Action},  // left 1 left of the right
        {100, 140, 198, 140, {198, 100, 200, 180}, Repaint},
        {200, 140, 101, 140, {100, 100, 200, 180}, No_Action},  // right 1 right of the left
        {200, 140, 102, 140, {100, 100, 102, 180}, Repaint},
        {200, 140, 400, 140, {100, 100, 400, 180}, Repaint},
    };
    for (const Case& c : cases) {
        place = RECT{100, 100, 200, 180};
        On_Screen_Object_Movable_RECT fresh;
        fresh.rect = &place;
        fresh.Handle_Event(Left_Button_Down, c.press_x, c.press_y);
        EXPECT_EQ(fresh.Handle_Event(Mouse_Move, c.drag_x, c.drag_y), c.answer)
            << "press " << c.press_x << "," << c.press_y << " drag " << c.drag_x << "," << c.drag_y;
        EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}),
                  (std::array{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
            << "press " << c.press_x << "," << c.press_y << " drag " << c.drag_x << "," << c.drag_y;
    }
}

TEST_F(Screen_Movable_Rect_Test, ACornerFollowsThePointerInBothDirections) {
    movable.Handle_Event(Left_Button_Down, 200, 180);
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 260, 230), Repaint);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{100, 100, 260, 230}));
    // Past the opposite corner neither edge moves.
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 50, 50), No_Action);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{100, 100, 260, 230}));
}

TEST_F(Screen_Movable_Rect_Test, ChoosingMoveWindowMakesTheRectangleFollowThePointerAtTheGrabOffset) {
    movable.menu.selected_index = 0;
    EXPECT_EQ(movable.Handle_Event(Menu_Closed, 130, 120), No_Action);
    EXPECT_TRUE(movable.moving);
    EXPECT_TRUE(movable.active);
    EXPECT_EQ(movable.grab_dx, 30);
    EXPECT_EQ(movable.grab_dy, 20);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{100, 100, 200, 180}));

    // Far off the rectangle: it keeps its size and the offset to the pointer.
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 530, 20), Repaint);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{500, 0, 600, 80}));
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 10, 5), Repaint);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{-20, -15, 80, 65}));
    // A movement to the same point still counts as a change.
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 10, 5), Repaint);
}

// A press near an edge while moving starts a resize as well: each move
// then shifts the rectangle with the pointer first and drags the edges after.
TEST_F(Screen_Movable_Rect_Test, WhileMovingAndResizingAMoveDoesBoth) {
    movable.menu.selected_index = 0;
    movable.Handle_Event(Menu_Closed, 150, 140);  // grabbed 50 right of the left edge, 40 below the top
    movable.Handle_Event(Left_Button_Down, 100, 100);
    ASSERT_TRUE(movable.moving);
    ASSERT_EQ(Flags_Now(), (Flags{T, F, T, F, T}));
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 90, 95), Repaint);
    // Shifted to {40, 55, 140, 135}, then its top and left edge to the pointer.
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{90, 95, 140, 135}));
}

TEST_F(Screen_Movable_Rect_Test, LeftButtonUpEndsEveryMoveAndResize) {
    movable.menu.selected_index = 0;
    movable.Handle_Event(Menu_Closed, 150, 140);
    movable.Handle_Event(Left_Button_Down, 100, 100);
    ASSERT_TRUE(movable.moving);
    ASSERT_EQ(Flags_Now(), (Flags{T, F, T, F, T}));
    EXPECT_EQ(movable.Handle_Event(Left_Button_Up, 700, 700), Bring_To_Front);
    EXPECT_FALSE(movable.moving);
    EXPECT_EQ(Flags_Now(), (Flags{F, F, F, F, F}));

    const RECT before = place;
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 300, 300), No_Action);
    EXPECT_EQ(place.left, before.left);
    EXPECT_EQ(place.top, before.top);
}

TEST_F(Screen_Movable_Rect_Test, ItsMenuOffersMoveWindowAndStartsAMoveOnlyWhenThatWasChosen) {
    EXPECT_EQ(movable.Handle_Event(Right_Button_Up, 150, 140), Open_Menu);
    EXPECT_EQ(movable.popup_menu, &movable.menu);
    EXPECT_EQ(movable.menu.owner, &movable);
    EXPECT_EQ(Menu_Labels(movable.menu), (std::vector<std::string>{"Move window"}));
    EXPECT_EQ(movable.menu.bounds.left, 150);
    EXPECT_EQ(movable.menu.bounds.top, 140);

    for (int chosen : {-1, 1}) {
        movable.menu.selected_index = chosen;
        EXPECT_EQ(movable.Handle_Event(Menu_Closed, 150, 140), No_Action);
        EXPECT_FALSE(movable.moving) << "chosen " << chosen;
        EXPECT_FALSE(movable.active) << "chosen " << chosen;
        EXPECT_EQ(movable.colour, 0x646464u);
    }
    EXPECT_EQ(movable.Handle_Event(Right_Button_Down, 150, 140), No_Action);
}

TEST_F(Screen_Movable_Rect_Test, ALeftClickAwayFromTheEdgesOnlyBringsItToTheFront) {
    EXPECT_EQ(movable.Handle_Event(Left_Button_Down, 150, 140), Bring_To_Front);
    EXPECT_EQ(Flags_Now(), (Flags{F, F, F, F, F}));
    EXPECT_EQ(movable.Handle_Event(Mouse_Move, 160, 150), No_Action);
    EXPECT_EQ(movable.Handle_Event(Left_Button_Up, 160, 150), Bring_To_Front);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{100, 100, 200, 180}));
}

// ---------------------------------------------------------------- in a window

TEST(Screen_Movable_Rect_In_A_Window, AfterMoveWindowItFollowsThePointerOffItselfUntilTheNextLeftClick) {
    Counting_Window window;
    On_Screen_Object_Background background;
    RECT place{100, 100, 200, 180};
    On_Screen_Object_Movable_RECT movable;
    movable.rect = &place;
    Window_Object_List list(window.Handle());
    list.Add_To_Front(&background);
    list.Add_To_Front(&movable);

    list.Dispatch(Right_Button_Up, 150, 140);
    ASSERT_EQ(list.objects[0], &movable.menu);
    list.Dispatch(Mouse_Move, 160, 145);  // over "Move window"
    EXPECT_EQ(movable.menu.hover_index, 0);
    const int paints = window.Paints();
    list.Dispatch(Left_Button_Up, 160, 145);
    EXPECT_EQ(list.objects.size(), 2u);
    EXPECT_TRUE(movable.moving);
    EXPECT_EQ(window.Paints(), paints + 1);  // closing the menu; the owner answered No_Action

    // Off the rectangle the background is hit (and sets the arrow); the
    // rectangle, active, sees the move after it and sets the move cursor.
    list.Dispatch(Mouse_Move, 600, 500);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}), (std::array<LONG, 4>{540, 455, 640, 535}));
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_SIZEALL));
    EXPECT_EQ(window.Paints(), paints + 2);

    list.Dispatch(Left_Button_Down, 10, 10);
    list.Dispatch(Left_Button_Up, 10, 10);
    EXPECT_FALSE(movable.moving);
    EXPECT_FALSE(movable.active);
    list.Dispatch(Mouse_Move, 20, 20);
    EXPECT_EQ(place.left, 540);
}

TEST(Screen_Movable_Rect_In_A_Window, ReleasingOutsideTheMenuStartsNoMove) {
    On_Screen_Object_Background background;
    RECT place{100, 100, 200, 180};
    On_Screen_Object_Movable_RECT movable;
    movable.rect = &place;
    Window_Object_List list(nullptr);
    list.Add_To_Front(&background);
    list.Add_To_Front(&movable);

    list.Dispatch(Right_Button_Up, 150, 140);
    list.Dispatch(Mouse_Move, 20, 20);
    list.Dispatch(Left_Button_Up, 20, 20);
    EXPECT_EQ(movable.menu.selected_index, -1);
    EXPECT_FALSE(movable.moving);
    EXPECT_FALSE(movable.active);
    list.Dispatch(Mouse_Move, 300, 300);
    EXPECT_EQ(place.left, 100);
}

}  // namespace
