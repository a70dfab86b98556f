// The layer stack: what Add_Layer builds, captions and registers, and the
// pictures Show_All paints.
#include "network/layer_stack.h"
#include "network/random_source.h"
#include "support/headless_network.h"
#include "support/pictures.h"
#include "support/random_draws.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Network_Layer_Stack, FirstLayerMakesNoConnection) {
    Headless_Network test;
    test.stack.Add_Layer(28, 28);
    EXPECT_EQ(test.stack.Layer_Count(), 1);
    EXPECT_TRUE(test.stack.connections.empty());
    EXPECT_EQ(test.stack.layers[0]->width, 28);
    EXPECT_EQ(test.stack.layers[0]->panel[0].caption, "layer 0 neuron states: 28X28");
    EXPECT_TRUE(test.stack.layers[0]->panel[0].show_caption);
}

TEST(Network_Layer_Stack, CaptionsEveryPicture) {
    Headless_Network test;
    Set_Random_State(1);
    test.stack.Add_Layer(28, 28);
    test.stack.Add_Layer(10, 20);
    test.stack.Add_Layer(8, 8);
    ASSERT_EQ(test.stack.Layer_Count(), 3);
    const Layer_Stack& stack = test.stack;
    EXPECT_EQ(stack.layers[1]->panel[0].caption, "layer 1 neuron states: 10X20");
    EXPECT_EQ(stack.layers[2]->panel[0].caption, "layer 2 neuron states: 8X8");
    EXPECT_EQ(stack.connections[0]->panel[0].caption, "Weightings that connect layer 0 to layer 1: 784X200");
    EXPECT_EQ(stack.connections[1]->panel[0].caption, "Weightings that connect layer 1 to layer 2: 200X64");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(stack.layers[i]->panel[0].show_caption);
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(stack.connections[i]->panel[0].show_caption);
    // Each connection joins its two neighbours; the weights took 784 × 200
    // and then 200 × 64 draws.
    EXPECT_EQ(stack.connections[0]->lower, stack.layers[0].get());
    EXPECT_EQ(stack.connections[0]->upper, stack.layers[1].get());
    EXPECT_EQ(stack.connections[1]->lower, stack.layers[1].get());
    EXPECT_EQ(stack.connections[1]->upper, stack.layers[2].get());
    EXPECT_EQ(Random_State(), Random_State_After(1, 784 * 200 + 200 * 64));
}

TEST(Network_Layer_Stack, ThirdLayerKeepsTheFirstConnection) {
    Headless_Network test;
    test.stack.Add_Layer(4, 4);
    test.stack.Add_Layer(3, 3);
    Layer_Connection* first = test.stack.connections[0].get();
    Neuron_Layer* bottom = test.stack.layers[0].get();
    test.stack.Add_Layer(2, 2);
    EXPECT_EQ(test.stack.connections[0].get(), first);
    EXPECT_EQ(test.stack.layers[0].get(), bottom);
    EXPECT_NE(test.stack.connections[1].get(), first);
}

// What the front picture showed at each repaint of the window: its caption,
// or "(none)" while it has none to show.
On_Screen_Object_Manager* painted_manager = nullptr;
std::vector<std::string> front_captions;

LRESULT CALLBACK Caption_Watching_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        On_Screen_Object_Manager::Objects_Lock objects(*painted_manager);
        const Window_Object_List* list = painted_manager->Find_Window(objects, window);
        const auto* front = dynamic_cast<const On_Screen_Object_Bitmap*>(list->objects[0]);
        front_captions.push_back(front->show_caption ? front->caption : "(none)");
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Each registration puts the new picture in front and has the window
// repainted at once, showing it at its default place without a caption; the
// caption comes after. Connection 1 ends up in front of everything, layer 0
// behind everything.
TEST(Network_Layer_Stack, RegistersEachPictureInFrontAndCaptionsItAfterItsFirstRepaint) {
    Test_Window window(Caption_Watching_Procedure);
    Headless_Network test;
    test.stack.window = window.Handle();
    painted_manager = &test.manager;
    front_captions.clear();
    test.stack.Add_Layer(28, 28);
    test.stack.Add_Layer(5, 4);
    test.stack.Add_Layer(3, 2);
    EXPECT_EQ(front_captions, std::vector<std::string>(5, "(none)"));
    const Layer_Stack& stack = test.stack;
    On_Screen_Object_Manager::Objects_Lock objects(test.manager);
    const Window_Object_List* list = test.manager.Find_Window(objects, window.Handle());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->objects.size(), 5u);
    EXPECT_EQ(list->objects[0], &stack.connections[1]->panel[0]);
    EXPECT_EQ(list->objects[1], &stack.layers[2]->panel[0]);
    EXPECT_EQ(list->objects[2], &stack.connections[0]->panel[0]);
    EXPECT_EQ(list->objects[3], &stack.layers[1]->panel[0]);
    EXPECT_EQ(list->objects[4], &stack.layers[0]->panel[0]);
}

// ------------------------------------------------------------ Show_All

// What the window saw at each repaint: which pictures had been painted by
// then (their first pixel no longer holds the marker colour).
constexpr COLORREF marker = RGB(1, 2, 3);
std::vector<On_Screen_Object_Bitmap*> watched;
std::vector<std::vector<bool>> seen_at_repaint;

bool Painted(const On_Screen_Object_Bitmap& panel) { return Shown_Pixel(panel.picture, 0, 0) != marker; }

LRESULT CALLBACK Watching_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        std::vector<bool> seen;
        for (const On_Screen_Object_Bitmap* panel : watched) seen.push_back(Painted(*panel));
        seen_at_repaint.push_back(seen);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void Mark(On_Screen_Object_Bitmap& panel) {
    Paint_Picture(panel.picture, [](int, int) { return marker; });
}

class Network_Show_All : public testing::Test {
protected:
    void SetUp() override {
        watched.clear();
        seen_at_repaint.clear();
    }
    void TearDown() override { watched.clear(); }

    // Marks the pictures, in the order layer 0, connection 0, layer 1, ...,
    // and forgets the repaints so far.
    void Watch(Layer_Stack& stack) {
        for (int32_t i = 0; i < stack.Layer_Count(); ++i) {
            watched.push_back(&stack.layers[i]->panel[0]);
            if (i + 1 < stack.Layer_Count()) watched.push_back(&stack.connections[i]->panel[0]);
        }
        for (On_Screen_Object_Bitmap* panel : watched) Mark(*panel);
        seen_at_repaint.clear();
    }
};

// Every picture is painted; the window is neither repainted nor
// invalidated by it: how often it is repainted is the worker's pace
// (Repaint_Pace), and one paint shows all five pictures.
TEST_F(Network_Show_All, PaintsEveryPictureAndLeavesTheRepaintToTheCaller) {
    Test_Window window(Watching_Procedure);
    Headless_Network test;
    test.stack.window = window.Handle();
    test.stack.Add_Layer(28, 28);
    test.stack.Add_Layer(4, 5);
    test.stack.Add_Layer(3, 3);
    // Weights of 0 paint grey, states of 1 white: neither is the marker.
    for (int32_t c = 0; c < 2; ++c) {
        Layer_Connection& connection = *test.stack.connections[c];
        for (int32_t l = 0; l < connection.Lower_Count(); ++l)
            for (int32_t u = 0; u < connection.Upper_Count(); ++u) connection.Set_Weight(l, u, 0.0);
    }
    Pump_Waiting_Messages();  // the registrations' paints
    Watch(test.stack);
    test.stack.Show_All();
    for (const On_Screen_Object_Bitmap* panel : watched) EXPECT_TRUE(Painted(*panel));
    Pump_Waiting_Messages();
    EXPECT_TRUE(seen_at_repaint.empty());
}

TEST_F(Network_Show_All, OneLayerShowsOnlyThatLayer) {
    Test_Window window(Watching_Procedure);
    Headless_Network test;
    test.stack.window = window.Handle();
    test.stack.Add_Layer(6, 6);
    Watch(test.stack);
    test.stack.Show_All();
    EXPECT_TRUE(Painted(*watched[0]));
}

TEST_F(Network_Show_All, NoLayersShowsNothing) {
    Test_Window window(Watching_Procedure);
    Headless_Network test;
    test.stack.window = window.Handle();
    Pump_Waiting_Messages();  // the window's first paint
    seen_at_repaint.clear();
    test.stack.Show_All();
    Pump_Waiting_Messages();
    EXPECT_TRUE(seen_at_repaint.empty());
}

}  // namespace
