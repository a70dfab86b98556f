// The whole worker on its own thread, started as the program starts it,
// beside a real window whose thread answers its messages: settings it refuses,
// a missing settings file, and a worker asked to stop while it dreams.
#include "app/worker_start.h"
#include "training/training_worker.h"

#include "support/temporary_directory.h"
#include "message_box_support.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace training_test;
using namespace std::chrono_literals;

constexpr UINT Ping = WM_USER + 7;
std::atomic<int> pings_answered{0};

// Paints the window's objects as the program's window does and counts the
// pings it answers.
LRESULT CALLBACK Answering_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == Ping) {
        ++pings_answered;
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        Process_Screen_Object_Manager().Paint_Window(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

bool Window_Answers(HWND window) {
    const int before = pings_answered.load();
    PostMessageA(window, Ping, 0, 0);
    return Pump_Messages_Until([&] { return pings_answered.load() > before; }, 5s);
}

std::string Title_Of(HWND window) {
    char text[300];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int Objects_Of(HWND window) {
    On_Screen_Object_Manager& manager = Process_Screen_Object_Manager();
    On_Screen_Object_Manager::Objects_Lock objects(manager);
    Window_Object_List* list = manager.Find_Window(objects, window);
    return list != nullptr ? static_cast<int>(list->objects.size()) : 0;
}

// What the entry sets up for the worker, and the worker started on it. At
// the end the worker is asked to stop and waited for (its boxes dismissed)
// before any of it goes.
struct Started_Worker {
    explicit Started_Worker(HWND window) { Start_Training_Worker(window, stack, argument, stop); }
    ~Started_Worker() {
        stop.Request();
        Pump_Messages_Until([this] {
            for (const auto& box : testing_hooks::Open_Message_Boxes()) PostMessageA(box.window, WM_CLOSE, 0, 0);
            return stop.Wait_Until_Finished(0ms);
        });
        Destroy_Network(stack);
        Release_Training_Worker(stack);
    }
    Started_Worker(const Started_Worker&) = delete;
    Started_Worker& operator=(const Started_Worker&) = delete;

    // Answers the window until the worker has finished; false if it had not
    // within the time.
    bool Pump_Until_Finished(std::chrono::milliseconds longest = 10s) {
        return Pump_Messages_Until([this] { return stop.Wait_Until_Finished(0ms); }, longest);
    }

    Layer_Stack stack;
    Training_Worker_Argument argument;
    Worker_Stop stop;
};

bool Pump_Until_Title_Has(HWND window, const std::string& word, std::chrono::milliseconds longest = 20s) {
    return Pump_Messages_Until([&] { return Title_Of(window).find(word) != std::string::npos; }, longest);
}

class Worker_Thread : public ::testing::Test {
protected:
    Temporary_Directory here;
    Test_Window window{Answering_Procedure, 1000, 400};
};

TEST_F(Worker_Thread, RefusedSettingsAreNamedOnceAndNothingIsBuilt) {
    struct Case {
        const char* settings;
        const char* named;
    };
    // A size, and weights beyond this machine's memory. (What each refusal
    // names: Settings_Problem and the fuzz corpus's expected outcomes.)
    const Case cases[] = {
        {"5 5 3 1 1 10 0.1", "is 3"},
        {"40000 40000 40000 40000 1 10 0.1", "40000 by 40000"},
    };
    for (const Case& refused : cases) {
        SCOPED_TRACE(refused.settings);
        Temporary_Directory fresh;
        Write_File("settings.txt", refused.settings);
        // No training images: a worker that went on would say so in a second box.
        Started_Worker worker(window.Handle());
        EXPECT_EQ(worker.argument.stack, &worker.stack);

        const auto boxes = Wait_For_Message_Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find(refused.named), std::string::npos) << boxes[0].text;
        EXPECT_FALSE(worker.stop.Wait_Until_Finished(0ms));  // waiting on the box
        EXPECT_TRUE(Window_Answers(window.Handle()));

        PostMessageA(boxes[0].window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(worker.Pump_Until_Finished());
        // Time for a second box to show, had the worker gone on.
        Pump_Messages_Until([] { return !testing_hooks::Open_Message_Boxes().empty(); }, 300ms);
        EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());
        EXPECT_EQ(worker.stack.Layer_Count(), 0);
        EXPECT_TRUE(worker.stack.layers.empty());
        EXPECT_EQ(Objects_Of(window.Handle()), 0);
        EXPECT_TRUE(Window_Answers(window.Handle()));
    }
}

TEST_F(Worker_Thread, MissingSettingsAreReportedOnceAndNothingIsBuilt) {
    Write_Training_Images({Noise_Image(1)});
    Started_Worker worker(window.Handle());
    const auto boxes = Wait_For_Message_Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Settings data not found");
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_TRUE(Window_Answers(window.Handle()));

    PostMessageA(boxes[0].window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(worker.Pump_Until_Finished());
    Pump_Messages_Until([] { return !testing_hooks::Open_Message_Boxes().empty(); }, 300ms);
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());
    EXPECT_EQ(worker.stack.Layer_Count(), 0);
    EXPECT_EQ(Objects_Of(window.Handle()), 0);
    EXPECT_TRUE(Window_Answers(window.Handle()));
}

TEST_F(Worker_Thread, MissingImagesAreReportedAndTheWorkerGoesOn) {
    Write_File("settings.txt", "3 2 4 1 0 2 0.1");
    Started_Worker worker(window.Handle());
    const auto boxes = Wait_For_Message_Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Training data not found");
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_EQ(Objects_Of(window.Handle()), 0);  // the images are opened before anything is built
    PostMessageA(boxes[0].window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Pump_Until_Title_Has(window.Handle(), "dreaming")) << Title_Of(window.Handle());
    EXPECT_EQ(Objects_Of(window.Handle()), 5);
}

TEST_F(Worker_Thread, WorkerAskedToStopWhileDreamingFinishes) {
    Write_File("settings.txt", "3 2 4 1 1 2 0.1");
    Write_Training_Images({Noise_Image(1), Noise_Image(2)});
    Started_Worker worker(window.Handle());
    ASSERT_TRUE(Pump_Until_Title_Has(window.Handle(), "dreaming")) << Title_Of(window.Handle());
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());
    EXPECT_FALSE(worker.stop.Wait_Until_Finished(0ms));  // dreams until asked to stop
    EXPECT_EQ(Objects_Of(window.Handle()), 5);

    worker.stop.Request();
    // Its repaints wait for this thread, so the window is answered meanwhile.
    ASSERT_TRUE(worker.Pump_Until_Finished());
    EXPECT_TRUE(worker.stop.Wait_Until_Finished(0ms));
    ASSERT_EQ(worker.stack.Layer_Count(), 3);

    Destroy_Network(worker.stack);
    EXPECT_EQ(Objects_Of(window.Handle()), 0);
    Release_Training_Worker(worker.stack);
    EXPECT_EQ(worker.stack.Layer_Count(), 0);
    EXPECT_TRUE(worker.stack.layers.empty());
    EXPECT_TRUE(worker.stack.connections.empty());
    EXPECT_EQ(worker.stack.manager, nullptr);
    EXPECT_EQ(worker.stack.window, window.Handle());
    EXPECT_TRUE(Window_Answers(window.Handle()));
}

TEST_F(Worker_Thread, WorkerStopsUnansweredOnceTheWindowIsGone) {
    Write_File("settings.txt", "3 2 4 1 0 2 0.1");
    Write_Training_Images({Noise_Image(1), Noise_Image(2)});
    Started_Worker worker(window.Handle());
    ASSERT_TRUE(Pump_Until_Title_Has(window.Handle(), "dreaming")) << Title_Of(window.Handle());
    // As at the program's end: the window is gone and nobody answers its
    // messages while the worker is stopped and waited for. Its end wakes
    // the waiting thread: the time allowed is longer than any test may run,
    // so the wait ends by nothing else.
    DestroyWindow(window.Handle());
    EXPECT_TRUE(Stop_Training_Worker(worker.stop, std::chrono::hours(24)));
}

// A worker still busy when the time is up keeps its network: nothing of it
// goes while the worker may still use it. Here it waits for a repaint that
// this thread does not run until the time is up.
TEST_F(Worker_Thread, NothingIsReleasedWhileTheWorkerHasNotFinished) {
    Write_File("settings.txt", "3 2 4 1 1 2 0.1");
    Write_Training_Images({Noise_Image(1), Noise_Image(2)});
    Started_Worker worker(window.Handle());
    ASSERT_TRUE(Pump_Until_Title_Has(window.Handle(), "dreaming")) << Title_Of(window.Handle());
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (testing_hooks::Waiting_Senders() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(testing_hooks::Waiting_Senders(), 1);

    EXPECT_FALSE(Finish_Training_Worker(worker.stack, worker.stop, 100ms));
    EXPECT_EQ(worker.stack.Layer_Count(), 3);
    EXPECT_FALSE(worker.stack.layers.empty());
    EXPECT_EQ(Objects_Of(window.Handle()), 5);

    ASSERT_TRUE(worker.Pump_Until_Finished());
    EXPECT_TRUE(Finish_Training_Worker(worker.stack, worker.stop, 0ms));
    EXPECT_EQ(Objects_Of(window.Handle()), 0);
    EXPECT_EQ(worker.stack.Layer_Count(), 0);
    EXPECT_TRUE(worker.stack.layers.empty());
}

TEST_F(Worker_Thread, WorkerAskedToStopWhileTrainingFinishes) {
    // Far more steps, each redrawn, than can be done before it is asked.
    Write_File("settings.txt", "20 20 10 10 1 100000 0.1");
    Write_Training_Images({Noise_Image(1), Noise_Image(2), Noise_Image(3)});
    Started_Worker worker(window.Handle());
    ASSERT_TRUE(Pump_Until_Title_Has(window.Handle(), "training")) << Title_Of(window.Handle());
    worker.stop.Request();
    ASSERT_TRUE(worker.Pump_Until_Finished());
    EXPECT_EQ(Title_Of(window.Handle()).find("dreaming"), std::string::npos);
}

}  // namespace
