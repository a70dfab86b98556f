// The process-wide registry: registration, painting back to front, event
// delivery by window, and its use from the worker thread.
#include "screen/on_screen_object_manager.h"

#include "screen_test_support.h"
#include "support/canvas.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <thread>

using namespace screen_test;

namespace {

HWND Unpainted_Window(uintptr_t n) { return reinterpret_cast<HWND>(uintptr_t{0x7000} + 0x100 * n); }

class Screen_Manager_Test : public testing::Test {
protected:
    Recording_Object& Make(const std::string& name) {
        Recording_Object& object = objects.emplace_back(name, log);
        object.draw_log = &drawn;
        return object;
    }

    // The window's list and the number of lists, looked at with the objects held.
    Window_Object_List* List_Of(HWND window) {
        On_Screen_Object_Manager::Objects_Lock held(manager);
        return manager.Find_Window(held, window);
    }
    int32_t Window_Count() {
        On_Screen_Object_Manager::Objects_Lock held(manager);
        return manager.Window_Count(held);
    }

    On_Screen_Object_Manager manager;
    Event_Log log;
    std::vector<std::string> drawn;
    std::deque<Recording_Object> objects;
};

TEST_F(Screen_Manager_Test, TheFirstObjectOfAWindowCreatesItsListAndLaterObjectsGoInFront) {
    Counting_Window window;
    EXPECT_TRUE(manager.Add_Object(window.Handle(), &Make("background")));
    EXPECT_EQ(Window_Count(), 1);
    EXPECT_TRUE(manager.Add_Object(window.Handle(), &Make("panel")));
    EXPECT_EQ(Window_Count(), 1);
    Window_Object_List* list = List_Of(window.Handle());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Names_In_Order(*list), (std::vector<std::string>{"panel", "background"}));
    EXPECT_EQ(objects[0].window, window.Handle());
    EXPECT_EQ(window.Paints(), 2);
}

TEST_F(Screen_Manager_Test, RegisteringAnObjectAgainRepaintsWithoutDuplicatingOrMovingIt) {
    Counting_Window window;
    Recording_Object& back = Make("back");
    manager.Add_Object(window.Handle(), &back);
    manager.Add_Object(window.Handle(), &Make("front"));
    const int paints = window.Paints();
    EXPECT_TRUE(manager.Add_Object(window.Handle(), &back));
    EXPECT_EQ(Names_In_Order(*List_Of(window.Handle())), (std::vector<std::string>{"front", "back"}));
    EXPECT_EQ(window.Paints(), paints + 1);
}

TEST_F(Screen_Manager_Test, RegisteringNullCreatesTheListLeavesItEmptyAndRepaints) {
    Counting_Window window;
    EXPECT_TRUE(manager.Add_Object(window.Handle(), nullptr));
    ASSERT_EQ(Window_Count(), 1);
    Window_Object_List* list = List_Of(window.Handle());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->objects.size(), 0u);
    EXPECT_EQ(window.Paints(), 1);

    manager.Add_Object(window.Handle(), &Make("a"));
    manager.Add_Object(window.Handle(), nullptr);
    EXPECT_EQ(Names_In_Order(*list), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Window_Count(), 1);
}

TEST_F(Screen_Manager_Test, PaintWindowDrawsBackToFrontSoTheFrontObjectIsOnTop) {
    const HWND window = Unpainted_Window(1);
    Recording_Object& back = Make("back");
    Recording_Object& middle = Make("middle");
    Recording_Object& front = Make("front");
    back.area = RECT{0, 0, 30, 30};
    middle.area = RECT{10, 10, 40, 40};
    front.area = RECT{20, 20, 50, 50};
    back.fill = 0x0000FF;
    middle.fill = 0x00FF00;
    front.fill = 0xFF0000;
    manager.Add_Object(window, &back);
    manager.Add_Object(window, &middle);
    manager.Add_Object(window, &front);
    drawn.clear();

    Canvas canvas(60, 60);
    manager.Paint_Window(window, canvas.Dc());
    EXPECT_EQ(drawn, (std::vector<std::string>{"back", "middle", "front"}));
    EXPECT_EQ(canvas.At(5, 5), 0x0000FFu);
    EXPECT_EQ(canvas.At(15, 15), 0x00FF00u);
    EXPECT_EQ(canvas.At(25, 25), 0xFF0000u);  // where all three overlap
    EXPECT_EQ(canvas.At(55, 55), 0xFFFFFFu);
}

TEST_F(Screen_Manager_Test, AWindowWithoutAListIsNeitherPaintedNorGivenEvents) {
    Recording_Object& a = Make("a");
    a.hits_everywhere = true;
    a.active = true;
    manager.Add_Object(Unpainted_Window(1), &a);
    drawn.clear();
    Canvas canvas(10, 10);
    manager.Paint_Window(Unpainted_Window(2), canvas.Dc());
    manager.Dispatch_Mouse_Event(Unpainted_Window(2), Mouse_Move, 1, 1);
    EXPECT_TRUE(drawn.empty());
    EXPECT_TRUE(log.empty());
}

TEST_F(Screen_Manager_Test, EventsGoOnlyToTheObjectsOfTheirWindow) {
    Recording_Object& one = Make("one");
    Recording_Object& two = Make("two");
    one.hits_everywhere = two.hits_everywhere = true;
    manager.Add_Object(Unpainted_Window(1), &one);
    manager.Add_Object(Unpainted_Window(2), &two);
    manager.Dispatch_Mouse_Event(Unpainted_Window(2), Left_Button_Down, 5, 6);
    EXPECT_EQ(log, (Event_Log{{"two", Left_Button_Down, 5, 6}}));
}

TEST_F(Screen_Manager_Test, AddingWindowsKeepsTheListsOfEarlierWindowsValid) {
    Recording_Object& a = Make("a");
    Recording_Object& b = Make("b");
    a.hits_everywhere = true;
    manager.Add_Object(Unpainted_Window(1), &b);
    manager.Add_Object(Unpainted_Window(1), &a);
    On_Screen_Object** const first_objects = List_Of(Unpainted_Window(1))->objects.data();

    for (uintptr_t n = 2; n <= 6; ++n) {
        std::string name = "w";
        name += std::to_string(n);  // (gcc 12 warns falsely about "w" + std::to_string(n))
        manager.Add_Object(Unpainted_Window(n), &Make(name));
    }
    manager.Add_Window(Unpainted_Window(7));
    EXPECT_EQ(Window_Count(), 7);

    Window_Object_List* first = List_Of(Unpainted_Window(1));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->window, Unpainted_Window(1));
    EXPECT_EQ(first->objects.data(), first_objects);
    EXPECT_EQ(Names_In_Order(*first), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(List_Of(Unpainted_Window(7))->objects.size(), 0u);

    drawn.clear();
    Canvas canvas(10, 10);
    manager.Paint_Window(Unpainted_Window(1), canvas.Dc());
    EXPECT_EQ(drawn, (std::vector<std::string>{"b", "a"}));
    manager.Dispatch_Mouse_Event(Unpainted_Window(1), Mouse_Move, 2, 3);
    EXPECT_EQ(log, (Event_Log{{"a", Mouse_Move, 2, 3}}));
}

TEST_F(Screen_Manager_Test, AnAnswersRepaintPaintsTheWindowFromInsideTheDispatch) {
    Counting_Window window(&manager);
    Recording_Object& a = Make("a");
    a.hits_everywhere = true;
    a.answer = Repaint;
    manager.Add_Object(window.Handle(), &a);
    drawn.clear();
    const int paints = window.Paints();

    // The paint takes the manager's lock again on the thread that holds it.
    manager.Dispatch_Mouse_Event(window.Handle(), Mouse_Move, 1, 1);
    EXPECT_EQ(window.Paints(), paints + 1);
    EXPECT_EQ(drawn, (std::vector<std::string>{"a"}));
}

TEST_F(Screen_Manager_Test, RegistrationFromAnotherThreadIsPaintedByTheWindowThread) {
    Counting_Window window(&manager);
    Recording_Object& background = Make("background");
    manager.Add_Object(window.Handle(), &background);
    drawn.clear();
    const int paints = window.Paints();

    Recording_Object& panel = Make("panel");
    std::atomic<bool> registered{false};
    std::thread worker([&] {
        manager.Add_Object(window.Handle(), &panel);
        registered = true;
    });
    const bool finished = Pump_Messages_Until([&] { return registered.load() && window.Paints() > paints; });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_GE(window.Paints(), paints + 1);
    // The repaint drew the new panel in front of the background.
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(drawn[drawn.size() - 2], "background");
    EXPECT_EQ(drawn.back(), "panel");
}

}  // namespace
