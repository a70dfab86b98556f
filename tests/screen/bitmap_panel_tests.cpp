// The picture panel: set-up, drawing of the picture and the caption, its
// menu, and the round trip of choosing from the menu in a window.
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_bitmap.h"

#include "current_directory.h"
#include "screen_test_support.h"
#include "support/canvas.h"
#include "support/temporary_directory.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <ctime>

using namespace screen_test;

namespace {

// A colour for each picture pixel; never white and never the canvas grey.
COLORREF Pattern(int x, int y) { return RGB(x * 9, y * 9, 77); }

std::vector<std::string> Menu_Labels(const On_Screen_Object_Right_Click_Menu& menu) {
    return menu.items.strings;
}

std::array<LONG, 4> Sides(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

class Screen_Bitmap_Panel_Test : public testing::Test {
protected:
    Temporary_Directory directory;
    On_Screen_Object_Bitmap panel;
};

// ---------------------------------------------------------------- set-up

TEST_F(Screen_Bitmap_Panel_Test, SetupPlacesThePanelAtOneHundredAndNamesItsFileAfterTheDirectoryAndTheTime) {
    const auto before = static_cast<int64_t>(std::time(nullptr));
    panel.Setup(28, 28);
    const auto after = static_cast<int64_t>(std::time(nullptr));

    EXPECT_EQ(panel.rect, &panel.bounds);
    EXPECT_EQ(Sides(panel.bounds), (std::array<LONG, 4>{100, 100, 128, 128}));
    EXPECT_EQ(panel.picture.bitmap.Width(), 28);
    EXPECT_EQ(panel.picture.bitmap.Height(), 28);

    const std::string prefix = Current_Directory() + Path_Separator;
    const std::string& name = panel.picture.file_name;
    ASSERT_EQ(name.compare(0, prefix.size(), prefix), 0) << name;
    const std::string seconds = name.substr(prefix.size());
    ASSERT_FALSE(seconds.empty());
    for (char c : seconds) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << name;  // no extension
    EXPECT_GE(std::stoll(seconds), before);
    EXPECT_LE(std::stoll(seconds), after);

    panel.Setup(10, 20);
    EXPECT_EQ(Sides(panel.bounds), (std::array<LONG, 4>{100, 100, 110, 120}));
    EXPECT_EQ(panel.picture.bitmap.Width(), 10);
    EXPECT_EQ(panel.picture.bitmap.Height(), 20);
}

// ---------------------------------------------------------------- drawing

constexpr COLORREF grey = 0xC0C0C0;
constexpr COLORREF white = 0xFFFFFF;

class Screen_Bitmap_Panel_Drawing_Test : public Screen_Bitmap_Panel_Test {
protected:
    void SetUp() override {
        panel.Setup(28, 28);
        Paint_Picture(panel.picture, Pattern);
    }
    // Whether the picture shows with its top-left corner at (left, top).
    int Picture_Pixels_At(int left, int top) const {
        int matching = 0;
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 28; ++x)
                if (canvas.At(left + x, top + y) == Pattern(x, y)) ++matching;
        return matching;
    }
    int Changed(const RECT& area) const {
        return (area.right - area.left) * (area.bottom - area.top) - canvas.Count(area, grey);
    }
    // Changed pixels of the area that are not white: the caption's ink.
    int Ink(const RECT& area) const { return Changed(area) - canvas.Count(area, white); }

    Canvas canvas{600, 200, grey};
};

TEST_F(Screen_Bitmap_Panel_Drawing_Test, ALargerPanelShowsThePictureAtItsTopLeftAndWhiteBesideAndBelow) {
    panel.bounds = RECT{100, 100, 150, 150};
    panel.Draw(canvas.Dc());
    EXPECT_EQ(Picture_Pixels_At(100, 100), 28 * 28);
    EXPECT_EQ(canvas.Count(RECT{128, 100, 150, 150}, white), 22 * 50);
    EXPECT_EQ(canvas.Count(RECT{100, 128, 128, 150}, white), 28 * 22);
    EXPECT_EQ(Changed(RECT{0, 0, 600, 100}), 0);
    EXPECT_EQ(Changed(RECT{0, 100, 100, 200}), 0);
    EXPECT_EQ(Changed(RECT{151, 100, 600, 200}), 0);
}

TEST_F(Screen_Bitmap_Panel_Drawing_Test, ASmallerPanelStillShowsTheWholePicture) {
    panel.bounds = RECT{100, 100, 110, 110};
    panel.Draw(canvas.Dc());
    EXPECT_EQ(Picture_Pixels_At(100, 100), 28 * 28);
    EXPECT_EQ(canvas.Count(RECT{0, 0, 600, 200}, white), 0);
}

TEST_F(Screen_Bitmap_Panel_Drawing_Test, ThePictureFollowsTheRectangleWhenItMoves) {
    panel.bounds = RECT{20, 40, 48, 68};
    panel.Draw(canvas.Dc());
    EXPECT_EQ(Picture_Pixels_At(20, 40), 28 * 28);
    EXPECT_EQ(Changed(RECT{48, 0, 600, 200}), 0);
}

TEST_F(Screen_Bitmap_Panel_Drawing_Test, TheCaptionIsDrawnDarkInABox400By25RightAboveThePanel) {
    panel.bounds = RECT{50, 70, 78, 98};
    panel.caption = "Layer 1: 28 x 28";
    panel.show_caption = true;
    panel.Draw(canvas.Dc());
    EXPECT_EQ(Picture_Pixels_At(50, 70), 28 * 28);
    EXPECT_GT(Ink(RECT{50, 45, 450, 70}), 0);
    // Transparent text: the box keeps what was beneath it around the letters.
    EXPECT_EQ(canvas.Count(RECT{50, 45, 450, 70}, white), 0);
    // Exactly the text the platform draws in that box, not a pixel off.
    Canvas expected{600, 200, grey};
    RECT box{50, 45, 450, 70};
    SetBkMode(expected.Dc(), TRANSPARENT);
    DrawTextA(expected.Dc(), panel.caption.c_str(), static_cast<int>(panel.caption.size()), &box, 0);
    int different = 0;
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 600; ++x) different += canvas.At(x, y) != expected.At(x, y);
    EXPECT_EQ(different, 0);
}

TEST_F(Screen_Bitmap_Panel_Drawing_Test, ALongCaptionIsCutAtTheBoxsRightEdgeWhateverThePanelsWidth) {
    panel.bounds = RECT{50, 70, 78, 98};
    panel.caption = std::string(100, 'W');  // 800 pixels of text
    panel.show_caption = true;
    panel.Draw(canvas.Dc());
    EXPECT_GT(Ink(RECT{430, 45, 450, 70}), 0);
    EXPECT_EQ(Changed(RECT{450, 0, 600, 70}), 0);
}

TEST_F(Screen_Bitmap_Panel_Drawing_Test, NoCaptionIsDrawnWhenItIsNotShown) {
    panel.bounds = RECT{50, 70, 78, 98};
    panel.caption = "Layer 1: 28 x 28";
    panel.Draw(canvas.Dc());
    EXPECT_EQ(Changed(RECT{0, 0, 600, 70}), 0);
    EXPECT_EQ(Picture_Pixels_At(50, 70), 28 * 28);
}

// ---------------------------------------------------------------- events

TEST_F(Screen_Bitmap_Panel_Test, TheCaptionLiesOutsideThePanel) {
    panel.Setup(28, 28);
    panel.bounds = RECT{50, 70, 78, 98};
    panel.show_caption = true;
    EXPECT_FALSE(panel.Hit_Test(60, 60));
    EXPECT_TRUE(panel.Hit_Test(50, 70));
    EXPECT_TRUE(panel.Hit_Test(78, 98));
}

TEST_F(Screen_Bitmap_Panel_Test, RightButtonUpOpensAMenuWithMoveWindowAndOutputBitmap) {
    panel.Setup(28, 28);
    for (int opening = 0; opening < 2; ++opening) {
        EXPECT_EQ(panel.Handle_Event(Right_Button_Up, 110, 120), Open_Menu);
        EXPECT_EQ(panel.popup_menu, &panel.menu);
        EXPECT_EQ(panel.menu.owner, &panel);
        EXPECT_EQ(Menu_Labels(panel.menu), (std::vector<std::string>{"Move window", "Output Bitmap"}));
        EXPECT_EQ(Sides(panel.menu.bounds), (std::array<LONG, 4>{110, 120, 110 + 110, 120 + 34}));
        EXPECT_TRUE(panel.menu.active);
    }
    EXPECT_EQ(panel.Handle_Event(Right_Button_Down, 110, 120), No_Action);
}

TEST_F(Screen_Bitmap_Panel_Test, MenuChoiceZeroStartsAMoveOneSavesAndNoneDoesNothing) {
    panel.Setup(28, 28);
    const std::string default_name = panel.picture.file_name;

    panel.menu.selected_index = -1;
    EXPECT_EQ(panel.Handle_Event(Menu_Closed, 110, 120), No_Action);
    EXPECT_FALSE(panel.moving);
    EXPECT_FALSE(panel.active);
    EXPECT_TRUE(Directory_Entries(directory.Path()).empty());
    EXPECT_EQ(panel.picture.file_name, default_name);

    panel.menu.selected_index = 0;
    EXPECT_EQ(panel.Handle_Event(Menu_Closed, 110, 120), No_Action);
    EXPECT_TRUE(panel.moving);
    EXPECT_TRUE(panel.active);
    EXPECT_EQ(panel.grab_dx, 10);
    EXPECT_EQ(panel.grab_dy, 20);
    EXPECT_TRUE(Directory_Entries(directory.Path()).empty());
    panel.Handle_Event(Left_Button_Up, 110, 120);

    panel.menu.selected_index = 1;
    EXPECT_EQ(panel.Handle_Event(Menu_Closed, 110, 120), No_Action);
    EXPECT_FALSE(panel.moving);
    EXPECT_FALSE(panel.active);
    const std::vector<std::string> files = Directory_Entries(directory.Path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(panel.picture.file_name, Current_Directory() + Path_Separator + files[0]);
    EXPECT_EQ(files[0].substr(files[0].size() - 4), ".bmp");
    EXPECT_EQ(std::filesystem::file_size(files[0]), 2406u);
}

TEST_F(Screen_Bitmap_Panel_Test, MovesAndResizesAsAMovableRectangle) {
    panel.Setup(28, 28);
    SetCursor(System_Cursor(IDC_HAND));
    panel.Handle_Event(Mouse_Move, 128, 128);
    EXPECT_EQ(GetCursor(), System_Cursor(IDC_SIZENWSE));

    EXPECT_EQ(panel.Handle_Event(Left_Button_Down, 128, 128), Bring_To_Front);
    EXPECT_TRUE(panel.resize_bottom);
    EXPECT_TRUE(panel.resize_right);
    EXPECT_EQ(panel.Handle_Event(Mouse_Move, 160, 170), Repaint);
    EXPECT_EQ(Sides(panel.bounds), (std::array<LONG, 4>{100, 100, 160, 170}));
    EXPECT_EQ(panel.Handle_Event(Left_Button_Up, 160, 170), Bring_To_Front);
    EXPECT_FALSE(panel.active);
    EXPECT_FALSE(panel.resize_bottom);
    EXPECT_EQ(panel.Handle_Event(Mouse_Move, 200, 200), No_Action);
    // The picture keeps its own size.
    EXPECT_EQ(panel.picture.bitmap.Width(), 28);
}

// ---------------------------------------------------------------- in a window

TEST_F(Screen_Bitmap_Panel_Test, ChoosingMoveWindowInAWindowMovesThePanelUntilTheNextLeftClick) {
    On_Screen_Object_Manager manager;
    Counting_Window window(&manager);
    On_Screen_Object_Background background;
    background.colour = 0xFF0000;
    manager.Add_Object(window.Handle(), &background);
    panel.Setup(28, 28);
    manager.Add_Object(window.Handle(), &panel);
    Window_Object_List& list = [&]() -> Window_Object_List& {
        On_Screen_Object_Manager::Objects_Lock objects(manager);
        return *manager.Find_Window(objects, window.Handle());
    }();
    int paints = window.Paints();

    manager.Dispatch_Mouse_Event(window.Handle(), Right_Button_Down, 110, 110);
    EXPECT_EQ(window.Paints(), paints);

    manager.Dispatch_Mouse_Event(window.Handle(), Right_Button_Up, 110, 110);
    ASSERT_EQ(list.objects.size(), 3u);
    EXPECT_EQ(list.objects[0], &panel.menu);
    EXPECT_EQ(list.objects[1], &panel);
    EXPECT_EQ(panel.menu.window, window.Handle());
    EXPECT_EQ(window.Paints(), ++paints);

    manager.Dispatch_Mouse_Event(window.Handle(), Mouse_Move, 115, 112);  // over "Move window"
    EXPECT_EQ(panel.menu.hover_index, 0);
    EXPECT_FALSE(panel.moving);
    EXPECT_EQ(window.Paints(), paints);

    manager.Dispatch_Mouse_Event(window.Handle(), Left_Button_Up, 115, 112);
    EXPECT_EQ(list.objects.size(), 2u);
    EXPECT_EQ(list.Index_Of(&panel.menu), -1);
    EXPECT_TRUE(panel.moving);
    EXPECT_EQ(window.Paints(), ++paints);

    manager.Dispatch_Mouse_Event(window.Handle(), Mouse_Move, 315, 212);  // off the panel
    EXPECT_EQ(Sides(panel.bounds), (std::array<LONG, 4>{300, 200, 328, 228}));
    EXPECT_EQ(window.Paints(), ++paints);

    manager.Dispatch_Mouse_Event(window.Handle(), Left_Button_Down, 315, 212);
    EXPECT_EQ(window.Paints(), ++paints);
    manager.Dispatch_Mouse_Event(window.Handle(), Left_Button_Up, 315, 212);
    EXPECT_EQ(window.Paints(), ++paints);
    EXPECT_FALSE(panel.moving);
    EXPECT_FALSE(panel.active);
    manager.Dispatch_Mouse_Event(window.Handle(), Mouse_Move, 20, 20);
    EXPECT_EQ(panel.bounds.left, 300);
    EXPECT_TRUE(Directory_Entries(directory.Path()).empty());
}

TEST_F(Screen_Bitmap_Panel_Test, ChoosingOutputBitmapInAWindowSavesThePicture) {
    On_Screen_Object_Background background;
    panel.Setup(28, 28);
    Window_Object_List list(nullptr);
    list.Add_To_Front(&background);
    list.Add_To_Front(&panel);

    list.Dispatch(Right_Button_Up, 110, 110);
    list.Dispatch(Mouse_Move, 115, 130);  // over "Output Bitmap"
    list.Dispatch(Left_Button_Up, 115, 130);
    EXPECT_EQ(panel.menu.selected_index, 1);
    EXPECT_EQ(Directory_Entries(directory.Path()).size(), 1u);
    EXPECT_FALSE(panel.moving);
}

}  // namespace
