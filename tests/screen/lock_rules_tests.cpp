// The rules of the two threads that the program checks as it runs, in the
// builds with checks (debug and sanitizer builds): a thread that holds a
// lock the window's thread needs to paint never waits for that thread, and
// only the thread that built a network runs its operations.
#include "locks.h"
#include "network/layer_connection.h"
#include "screen/on_screen_object_manager.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class Lock_Rules : public testing::Test {
protected:
    void SetUp() override {
        if (!LAYERDREAM_CHECK_LOCKS) GTEST_SKIP() << "the rules are checked in builds with checks only";
        // The window's thread runs in the child the death test starts.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

// Sends a message to the window from another thread while that thread
// holds whatever hold() takes.
template <typename Hold>
void Send_From_Another_Thread_Holding(Hold hold) {
    Test_Window window(DefWindowProcA);
    std::atomic<bool> sent{false};
    std::thread other([&] {
        hold([&] { SendMessageA(window.Handle(), WM_USER, 0, 0); });
        sent = true;
    });
    // Answered until the send returns, should the program let it wait.
    Pump_Messages_Until([&] { return sent.load(); });
    other.join();
}

TEST_F(Lock_Rules, WaitingForTheWindowsThreadWithTheScreenObjectsHeldStopsTheProgram) {
    EXPECT_DEATH(Send_From_Another_Thread_Holding([](auto send) {
                     On_Screen_Object_Manager manager;
                     On_Screen_Object_Manager::Objects_Lock held(manager);
                     send();
                 }),
                 "holding 1 lock.* waits for work sent to the window's thread");
}

TEST_F(Lock_Rules, WaitingForTheWindowsThreadWithAnyLockItPaintsWithStopsTheProgram) {
    // As a picture's lock is (Double_Buffered_Bitmap).
    EXPECT_DEATH(Send_From_Another_Thread_Holding([](auto send) {
                     Mutex picture_lock{Lock_Role::paint};
                     Mutex_Lock held(picture_lock);
                     send();
                 }),
                 "waits for work sent to the window's thread");
}

TEST_F(Lock_Rules, ALeafLockHeldOrAPaintLockLetGoLetsTheThreadWait) {
    Test_Window window(DefWindowProcA);
    std::atomic<bool> answered{false};
    std::thread other([&] {
        Mutex leaf;
        Mutex paint{Lock_Role::paint};
        { Mutex_Lock briefly(paint); }
        Mutex_Lock held(leaf);
        SendMessageA(window.Handle(), WM_USER, 0, 0);
        answered = true;
    });
    EXPECT_TRUE(Pump_Messages_Until([&] { return answered.load(); }));
    other.join();
    EXPECT_EQ(locks::Paint_Locks_Held(), 0);
}

TEST_F(Lock_Rules, OnlyTheThreadThatBuiltANetworkRunsItsOperations) {
    Neuron_Layer lower, upper;
    Layer_Connection connection;
    lower.Create(3, 2);
    upper.Create(2, 2);
    connection.Create(&lower, &upper);
    connection.Sample_Up();  // the building thread: allowed
    EXPECT_DEATH(std::thread([&] { connection.Sample_Up(); }).join(),
                 "Sample_Up was run on a thread that does not own the network");
    EXPECT_DEATH(std::thread([&] { upper.Show_States(nullptr); }).join(),
                 "Show_States was run on a thread that does not own the network");
    EXPECT_DEATH(std::thread([&] { connection.Set_Weight(0, 0, 0.5); }).join(), "Set_Weight was run");
}

}  // namespace
