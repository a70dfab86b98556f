// The window's title as the worker runs, read back with GetWindowTextA: the
// exact words at the first and the last training step of each connection,
// the rate over the time its clock says, and the dreaming cycles.
#include "training/progress_title.h"
#include "training/training_worker.h"

#include "support/temporary_directory.h"
#include "support/test_window.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace training_test;
using namespace std::chrono_literals;
using Clock = Progress_Title::Clock;

std::string Title_Of(HWND window) {
    char text[300];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A run of the worker on three images, two steps a connection, in a window
// of its own, its pictures shown without the display's pace.
class Worker_Title : public testing::Test {
protected:
    void SetUp() override {
        Write_File("settings.txt", "3 2 4 1 0 3 0.1");
        Write_Training_Images({Noise_Image(1), Noise_Image(2), Noise_Image(3)});
        run.pace.Use_Clock([this] { return pace_now; }, [this](Repaint_Pace::Clock::duration time) { pace_now += time; });
        ASSERT_TRUE(run.Read_Settings());
        ASSERT_TRUE(run.Build());
    }

    // The title's clock moves on by step each time it is read, and the title
    // is noted then: each training step reads the clock before it shows
    // anything, so the note made at a step is what the one before left.
    void Title_Clock_Steps(Clock::duration step) {
        run.progress.Use_Clock([this, step] {
            titles.push_back(Title_Of(window.Handle()));
            title_now += step;
            return title_now;
        });
        titles.clear();
    }
    // The title after each training step, in order.
    std::vector<std::string> Titles_After_Each_Step() const {
        std::vector<std::string> after(titles.begin() + 1, titles.end());
        after.push_back(Title_Of(window.Handle()));
        return after;
    }

    Temporary_Directory here;
    Test_Window window{DefWindowProcA, 400, 200};
    Headless_Network network;
    // The run takes the window from the stack when it is made.
    Training_Worker_Argument argument{[this] {
                                          network.stack.window = window.Handle();
                                          return &network.stack;
                                      }(),
                                      nullptr};
    Training_Run run{argument};
    Repaint_Pace::Clock::time_point pace_now{};
    Clock::time_point title_now{};
    std::vector<std::string> titles;
};

// A quarter of a second between steps: every step is shown, one step in
// a quarter of a second is 4 images a second.
TEST_F(Worker_Title, EveryStepAQuarterOfASecondApartIsNamed) {
    Title_Clock_Steps(250ms);
    ASSERT_TRUE(run.Train());
    const std::vector<std::string> expected = {
        "layerdream - training connection 0: image 1 of 3 (4 images/s)",
        "layerdream - training connection 0: image 2 of 3 (4 images/s)",
        "layerdream - training connection 0: image 3 of 3 (4 images/s)",
        "layerdream - training connection 1: image 1 of 3 (4 images/s)",
        "layerdream - training connection 1: image 2 of 3 (4 images/s)",
        "layerdream - training connection 1: image 3 of 3 (4 images/s)",
    };
    EXPECT_EQ(Titles_After_Each_Step(), expected);
}

// 70 ms between steps: the title stays as it was until a connection's last
// image, which is named although a quarter of a second has not gone by,
// with the rate over the images since the title last changed.
TEST_F(Worker_Title, QuickStepsAreNamedAtTheLastImageWithTheirRate) {
    Title_Clock_Steps(70ms);
    ASSERT_TRUE(run.Train());
    const std::vector<std::string> expected = {
        "layerdream test",
        "layerdream test",
        "layerdream - training connection 0: image 3 of 3 (14 images/s)",
        "layerdream - training connection 0: image 3 of 3 (14 images/s)",
        "layerdream - training connection 0: image 3 of 3 (14 images/s)",
        "layerdream - training connection 1: image 3 of 3 (14 images/s)",
    };
    EXPECT_EQ(Titles_After_Each_Step(), expected);
}

// The first cycle is named at once, later ones once a quarter of a second
// has gone by since the title last changed.
TEST_F(Worker_Title, DreamingNamesTheFirstCycleAtOnceAndLaterOnesAQuarterOfASecondApart) {
    Title_Clock_Steps(0ms);
    ASSERT_TRUE(run.Train());
    run.Dream_Cycle();
    EXPECT_EQ(Title_Of(window.Handle()), "layerdream - dreaming: cycle 1");
    run.Dream_Cycle();
    EXPECT_EQ(Title_Of(window.Handle()), "layerdream - dreaming: cycle 1");
    title_now += 249ms;
    run.Dream_Cycle();
    EXPECT_EQ(Title_Of(window.Handle()), "layerdream - dreaming: cycle 1");
    title_now += 1ms;
    run.Dream_Cycle();
    EXPECT_EQ(Title_Of(window.Handle()), "layerdream - dreaming: cycle 4");
}

// Counts too large for 32 bits, and the largest the settings allow, are
// named whole.
TEST(Progress_Title, LargeCountsAreNamedWhole) {
    Test_Window window(DefWindowProcA);
    Progress_Title title(window.Handle());
    Clock::time_point now{};
    title.Use_Clock([&] { return now; });
    now += 1s;
    title.Training(1, 2147483647, 2147483647);
    EXPECT_EQ(Title_Of(window.Handle()), "layerdream - training connection 1: image 2147483647 of 2147483647 (1 images/s)");
    now += 1s;
    title.Dreaming(uint64_t{1} << 40);
    EXPECT_EQ(Title_Of(window.Handle()), "layerdream - dreaming: cycle 1099511627776");
}

}  // namespace
