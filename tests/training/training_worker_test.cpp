// The training worker's pieces: which settings it refuses, the falling
// learning rate, where it puts the pictures, and its stages run headless and
// compared with the network's own operations driven step by step.
#include "training/training_worker.h"

#include "network/random_source.h"
#include "training/panel_places.h"
#include "support/temporary_directory.h"
#include "support/counting_window.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace {

using namespace training_test;

constexpr uint64_t gibibyte = uint64_t{1} << 30;

Training_Settings Sizes(int32_t w1, int32_t h1, int32_t w2, int32_t h2) {
    Training_Settings settings;
    settings.layer1_width = w1;
    settings.layer1_height = h1;
    settings.layer2_width = w2;
    settings.layer2_height = h2;
    settings.redraw_during_training = 1;
    settings.images_per_connection = 10;
    settings.learning_rate = 0.1;
    return settings;
}

// ------------------------------------------------------------------ settings refused

// The sizes at the edges of what runs and of what the memory holds, with
// what each refusal names. (Every bad settings file of the fuzz corpus, with
// the text of its refusal: tests/fuzz/corpus/expected-outcomes.txt.)
TEST(Settings_Problem, RefusesWhatCannotRunOrFitNamingTheValue) {
    struct Case {
        Training_Settings settings;
        uint64_t memory;    // 0: not checked
        const char* named;  // what the refusal names; null: accepted
    };
    Training_Settings odd_others = Sizes(3, 2, 4, 1);  // only the sizes are looked at
    odd_others.redraw_during_training = -7;
    odd_others.images_per_connection = -5;
    odd_others.learning_rate = -1.0;
    const Case cases[] = {
        {Sizes(1, 1, 4, 1), 0, nullptr},
        {Sizes(1, 1, 4, 1), gibibyte, nullptr},
        {Sizes(10, 10, 8, 8), gibibyte, nullptr},
        {Sizes(2, 2, 8, 1), 0, nullptr},
        {odd_others, gibibyte, nullptr},
        {Sizes(0, 5, 4, 1), 0, "width of layer 1 is 0"},
        {Sizes(-3, 5, 4, 1), 0, "width of layer 1 is -3"},
        {Sizes(5, 0, 4, 1), 0, "height of layer 1 is 0"},
        {Sizes(5, -12, 4, 1), 0, "height of layer 1 is -12"},
        {Sizes(5, 5, 3, 1), 0, "width of layer 2, the top layer, is 3"},
        {Sizes(2, 2, 3, 100), 0, "width of layer 2, the top layer, is 3"},
        {Sizes(5, 5, -4, 1), 0, "width of layer 2, the top layer, is -4"},
        {Sizes(5, 5, 4, 0), 0, "height of layer 2 is 0"},
        {Sizes(5, 5, 4, -1), 0, "height of layer 2 is -1"},
        // 46341 × 46341 = 2147488281, just past the largest 32-bit integer.
        {Sizes(46341, 46341, 4, 1), 0, "Layer 1 has 2147488281 neurons"},
        {Sizes(1, 1, 65536, 32768), 0, "Layer 2 has 2147483648 neurons"},
        {Sizes(2147483647, 2147483647, 2147483647, 2147483647), 0, "Layer 1 has 4611686014132420609 neurons"},
        // 784 × 10000 + 10000 × 100 weights of two doubles each: well over 64 MiB.
        {Sizes(100, 100, 10, 10), uint64_t{64} << 20, "Layers of 100 by 100 and 10 by 10"},
        {Sizes(100, 100, 10, 10), 4 * gibibyte, nullptr},
        {Sizes(100, 100, 10, 10), 0, nullptr},
        // Within 32 bits per layer yet far beyond any memory.
        {Sizes(40000, 40000, 40000, 40000), 64 * gibibyte, "Layers of 40000 by 40000"},
        // 2^31 − 1 weights above a single neuron: 32 GiB of cells and 8 GiB of
        // picture. The top layer adds at least a state byte and a 4-byte pixel
        // for each of its 2^31 − 1 neurons, another 10 GiB: more than 48 GiB.
        {Sizes(1, 1, 2147483647, 1), 48 * gibibyte, "Layers of 1 by 1 and 2147483647 by 1"},
    };
    for (const Case& c : cases) {
        const Training_Settings& s = c.settings;
        SCOPED_TRACE(testing::Message() << s.layer1_width << " " << s.layer1_height << " " << s.layer2_width << " "
                                        << s.layer2_height << ", memory " << c.memory);
        const auto problem = Settings_Problem(s, c.memory);
        if (c.named == nullptr) {
            EXPECT_EQ(problem, std::nullopt);
            continue;
        }
        ASSERT_TRUE(problem.has_value());
        EXPECT_NE(problem->find(c.named), std::string::npos) << *problem;
        // A size refused with memory unchecked is refused whatever the memory.
        if (c.memory == 0) {
            EXPECT_TRUE(Settings_Problem(s, 64 * gibibyte).has_value());
        }
    }
}

// ------------------------------------------------------------------ learning rate

TEST(Worker_Learning_Rate, FallsLinearlyFromTheFirstRate) {
    EXPECT_EQ(Learning_Rate_At(1.0, 0, 4), 1.0);
    EXPECT_EQ(Learning_Rate_At(1.0, 1, 4), 0.75);
    EXPECT_EQ(Learning_Rate_At(1.0, 2, 4), 0.5);
    EXPECT_EQ(Learning_Rate_At(1.0, 3, 4), 0.25);
    EXPECT_EQ(Learning_Rate_At(0.1, 0, 1000), 0.1);
    EXPECT_EQ(Learning_Rate_At(0.0, 7, 9), 0.0);
}

// ------------------------------------------------------------------ layout

// Each picture goes to its place, as large as the picture is, whatever
// bounds the user had given it.
TEST(Worker_Layout, PutsEachPictureAtItsPlaceAsLargeAsItIs) {
    Headless_Network network;
    network.stack.Add_Layer(28, 28);
    network.stack.Add_Layer(3, 2);
    network.stack.Add_Layer(5, 2);
    network.stack.layers[1]->panel[0].bounds = RECT{400, 400, 700, 650};
    network.stack.connections[1]->panel[0].bounds = RECT{0, 0, 1, 1};
    Lay_Out_Network(network.stack);

    auto bounds = [](const On_Screen_Object_Bitmap& panel) {
        const RECT& r = panel.bounds;
        return std::vector<int>{r.left, r.top, r.right, r.bottom};
    };
    EXPECT_EQ(bounds(network.stack.connections[0]->panel[0]), (std::vector<int>{180, 180, 180 + 784, 180 + 6}));
    EXPECT_EQ(bounds(network.stack.connections[1]->panel[0]), (std::vector<int>{180, 70, 180 + 6, 70 + 10}));
    EXPECT_EQ(bounds(network.stack.layers[0]->panel[0]), (std::vector<int>{20, 180, 48, 208}));
    EXPECT_EQ(bounds(network.stack.layers[1]->panel[0]), (std::vector<int>{20, 130, 23, 132}));
    EXPECT_EQ(bounds(network.stack.layers[2]->panel[0]), (std::vector<int>{20, 70, 25, 72}));
}

// ------------------------------------------------------------------ the stages, headless

// Weights and states of two networks of the same sizes compared bit for bit.
void Expect_Same_Weights(const Layer_Connection& got, const Layer_Connection& expected, const char* which) {
    ASSERT_EQ(got.Lower_Count(), expected.Lower_Count());
    ASSERT_EQ(got.Upper_Count(), expected.Upper_Count());
    int different = 0;
    for (int32_t l = 0; l < got.Lower_Count(); ++l)
        for (int32_t u = 0; u < got.Upper_Count(); ++u) {
            const double a = got.weights[l][u].weight;
            const double b = expected.weights[l][u].weight;
            if (std::bit_cast<uint64_t>(a) != std::bit_cast<uint64_t>(b)) {
                if (different == 0)
                    ADD_FAILURE() << which << ": first difference at [" << l << "][" << u << "]: " << a << " instead of "
                                  << b;
                ++different;
            }
        }
    EXPECT_EQ(different, 0) << which;
}

void Expect_Same_States(const Neuron_Layer& got, const Neuron_Layer& expected, const char* which) {
    ASSERT_EQ(got.width, expected.width);
    ASSERT_EQ(got.height, expected.height);
    int different = 0;
    for (int32_t x = 0; x < got.width; ++x)
        for (int32_t y = 0; y < got.height; ++y) different += got.columns[x][y] != expected.columns[x][y];
    EXPECT_EQ(different, 0) << which;
}

void Expect_Same_Network(const Layer_Stack& got, const Layer_Stack& expected) {
    ASSERT_EQ(got.Layer_Count(), 3);
    ASSERT_EQ(expected.Layer_Count(), 3);
    Expect_Same_Weights(*got.connections[0], *expected.connections[0], "connection 0");
    Expect_Same_Weights(*got.connections[1], *expected.connections[1], "connection 1");
    Expect_Same_States(*got.layers[0], *expected.layers[0], "layer 0");
    Expect_Same_States(*got.layers[1], *expected.layers[1], "layer 1");
    Expect_Same_States(*got.layers[2], *expected.layers[2], "layer 2");
}

std::vector<double> All_Weights(const Layer_Connection& connection) {
    std::vector<double> all;
    for (int32_t l = 0; l < connection.Lower_Count(); ++l)
        for (int32_t u = 0; u < connection.Upper_Count(); ++u) all.push_back(connection.weights[l][u].weight);
    return all;
}

struct Run_Case {
    const char* name;
    int32_t w1, h1, w2, h2;
    int32_t redraw;
    int32_t images_per_connection;
    const char* rate;
    int images_in_file;
    size_t cut_bytes;  // the file ends this many bytes into the image after the last whole one (0: not cut)
};

void PrintTo(const Run_Case& run_case, std::ostream* out) { *out << run_case.name; }

class Worker_Stages : public ::testing::TestWithParam<Run_Case> {
protected:
    void SetUp() override {
        const Run_Case& c = GetParam();
        Write_File("settings.txt", std::to_string(c.w1) + "\n" + std::to_string(c.h1) + "\n" + std::to_string(c.w2) +
                                       "\n" + std::to_string(c.h2) + "\n" + std::to_string(c.redraw) + "\n" +
                                       std::to_string(c.images_per_connection) + "\n" + c.rate + "\n");
        std::string bytes = Idx_Header(static_cast<uint32_t>(c.images_in_file));
        for (int k = 0; k < c.images_in_file; ++k) bytes += Bytes_Of(Noise_Image(static_cast<uint32_t>(100 + k)));
        bytes += Bytes_Of(Noise_Image(999)).substr(0, c.cut_bytes);
        Write_File(Training_Images_File_Name, bytes);
    }

    // The worker's training, written out with the network's own operations
    // in their order, on a network built the same way from the same state.
    void Train_By_Hand(Layer_Stack& stack, Training_Image_File& images) {
        const Run_Case& c = GetParam();
        const int32_t n = c.images_per_connection;
        const double first_rate = std::atof(c.rate);
        for (int32_t p = 0; p < 2; ++p) {
            images.Rewind_Training_Images();
            for (int32_t i = 0; i < n; ++i) {
                const double rate = Learning_Rate_At(first_rate, i, n);
                images.Read_Next_Image(*stack.layers[0]);
                for (int32_t below = 0; below <= p; ++below) stack.connections[below]->Sample_Up();
                stack.connections[p]->Update_Positive(rate);
                stack.connections[p]->Sample_Down();
                stack.connections[p]->Update_Negative(rate);
            }
        }
    }

    // One cycle of dreaming written out the same way.
    static void Dream_By_Hand(Layer_Stack& stack) {
        for (int x = 0; x < 4; ++x) stack.layers[2]->columns[x][0] = Draw_Random() < 16384 ? 1 : 0;
        stack.connections[1]->Sample_Down();
        stack.connections[0]->Sample_Down();
    }

    Temporary_Directory here;
};

TEST_P(Worker_Stages, TrainAndDreamAsTheNetworksOperationsInOrder) {
    const Run_Case& c = GetParam();

    Headless_Network worked;
    Training_Worker_Argument argument{&worked.stack, nullptr};
    Training_Run run(argument);
    Set_Random_State(1);
    ASSERT_TRUE(run.Read_Settings());
    EXPECT_EQ(run.settings.images_per_connection, c.images_per_connection);
    ASSERT_TRUE(run.Build());
    ASSERT_EQ(worked.stack.Layer_Count(), 3);
    ASSERT_TRUE(run.Train());
    const uint32_t after_training = Random_State();

    Headless_Network replica;
    Set_Random_State(1);
    replica.stack.Add_Layer(28, 28);
    replica.stack.Add_Layer(c.w1, c.h1);
    replica.stack.Add_Layer(c.w2, c.h2);
    const std::vector<double> initial_0 = All_Weights(*replica.stack.connections[0]);
    const std::vector<double> initial_1 = All_Weights(*replica.stack.connections[1]);
    Training_Image_File images;
    images.Open_Training_Images();
    Train_By_Hand(replica.stack, images);

    {
        SCOPED_TRACE("after training");
        Expect_Same_Network(worked.stack, replica.stack);
    }
    EXPECT_EQ(Random_State(), after_training);
    const int32_t l1 = c.w1 * c.h1;
    const int32_t l2 = c.w2 * c.h2;
    const int32_t n = std::max(c.images_per_connection, 0);
    // Starting weights, then per step of pass 0 layer 1 up and layer 0 down,
    // per step of pass 1 layers 1 and 2 up and layer 1 down.
    EXPECT_EQ(after_training, Random_State_After(1, 784 * l1 + l1 * l2 + n * (l1 + 784) + n * (l1 + l2 + l1)));
    if (n > 0 && std::atof(c.rate) != 0.0) {
        EXPECT_NE(All_Weights(*worked.stack.connections[0]), initial_0);
        EXPECT_NE(All_Weights(*worked.stack.connections[1]), initial_1);
    } else {
        EXPECT_EQ(All_Weights(*worked.stack.connections[0]), initial_0);
        EXPECT_EQ(All_Weights(*worked.stack.connections[1]), initial_1);
    }

    // The top layer's units beyond the four that dreaming drives.
    std::vector<Neuron_State> kept;
    for (int32_t x = 0; x < c.w2; ++x)
        for (int32_t y = 0; y < c.h2; ++y)
            if (x >= 4 || y > 0) kept.push_back(worked.stack.layers[2]->columns[x][y]);
    const std::vector<double> trained_0 = All_Weights(*worked.stack.connections[0]);
    const std::vector<double> trained_1 = All_Weights(*worked.stack.connections[1]);

    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE("dreaming cycle " + std::to_string(cycle));
        const uint32_t before = Random_State();
        run.Dream_Cycle();
        const uint32_t after = Random_State();
        EXPECT_EQ(after, Random_State_After(before, 4 + l1 + 784));
        Set_Random_State(before);
        Dream_By_Hand(replica.stack);
        EXPECT_EQ(Random_State(), after);
        Expect_Same_Network(worked.stack, replica.stack);
    }
    EXPECT_EQ(run.dream_cycles, 2u);

    std::vector<Neuron_State> still;
    for (int32_t x = 0; x < c.w2; ++x)
        for (int32_t y = 0; y < c.h2; ++y)
            if (x >= 4 || y > 0) still.push_back(worked.stack.layers[2]->columns[x][y]);
    EXPECT_EQ(still, kept);
    if (n == 0) {
        EXPECT_EQ(std::count(kept.begin(), kept.end(), Neuron_State{1}), static_cast<long>(kept.size()));
    }
    EXPECT_EQ(All_Weights(*worked.stack.connections[0]), trained_0);
    EXPECT_EQ(All_Weights(*worked.stack.connections[1]), trained_1);
}

INSTANTIATE_TEST_SUITE_P(
    Headless, Worker_Stages,
    ::testing::Values(Run_Case{"ThreeImagesThreeSteps", 3, 2, 5, 2, 1, 3, "0.1", 3, 0},
                      Run_Case{"MoreStepsThanImages", 3, 2, 4, 1, 0, 5, "0.25", 3, 0},
                      Run_Case{"FileCutInsideAnImage", 2, 3, 6, 2, 0, 4, "0.5", 2, 400},
                      Run_Case{"HighRateOverManySteps", 4, 4, 4, 2, 0, 12, "0.9", 12, 0},
                      Run_Case{"NoTrainingStep", 3, 2, 8, 1, 1, 0, "0.1", 3, 0},
                      Run_Case{"NegativeStepCount", 2, 2, 4, 3, 0, -2, "0.1", 3, 0},
                      Run_Case{"RateZero", 2, 2, 4, 1, 0, 3, "0", 3, 0}),
    [](const ::testing::TestParamInfo<Run_Case>& run_case) { return std::string(run_case.param.name); });

TEST(Worker_Stages, BuildLaysThePicturesOutAndCaptionsThem) {
    Temporary_Directory here;
    Write_File("settings.txt", "3 2 5 2 0 0 0.1");
    Write_Training_Images({Noise_Image(1)});
    Headless_Network network;
    Training_Worker_Argument argument{&network.stack, nullptr};
    Training_Run run(argument);
    ASSERT_TRUE(run.Read_Settings());
    ASSERT_TRUE(run.Build());
    const Layer_Stack& stack = network.stack;
    ASSERT_EQ(stack.Layer_Count(), 3);
    EXPECT_EQ(stack.layers[1]->width, 3);
    EXPECT_EQ(stack.layers[1]->height, 2);
    EXPECT_EQ(stack.layers[2]->width, 5);
    EXPECT_EQ(stack.layers[2]->height, 2);
    EXPECT_EQ(stack.layers[2]->panel[0].bounds.top, 70);  // laid out (where: Worker_Layout)
    EXPECT_EQ(stack.connections[1]->panel[0].caption, "Weightings that connect layer 1 to layer 2: 6X10");
    // All five pictures are registered with the stack's manager.
    On_Screen_Object_Manager::Objects_Lock objects(network.manager);
    Window_Object_List* list = network.manager.Find_Window(objects, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_GE(list->Index_Of(&stack.layers[0]->panel[0]), 0);
    EXPECT_GE(list->Index_Of(&stack.connections[1]->panel[0]), 0);
}

// The worker waits for the window once the network is built and shown,
// after a training step only when the settings ask for redrawing (and then
// at most once per display refresh: here every reading of the clock finds
// a refresh gone by), and after every cycle of dreaming.
TEST(Worker_Stages, WaitForTheWindowOnceBuiltWhileTrainingIfAskedAndAfterEveryDream) {
    for (const int redraw : {0, 1, -3}) {
        SCOPED_TRACE("redraw " + std::to_string(redraw));
        Temporary_Directory here;
        Write_File("settings.txt", "3 2 4 1 " + std::to_string(redraw) + " 3 0.1");
        Write_Training_Images({Noise_Image(1), Noise_Image(2), Noise_Image(3)});
        Counting_Window window;
        Headless_Network network;
        network.stack.window = window.Handle();
        Training_Worker_Argument argument{&network.stack, nullptr};
        Training_Run run(argument);
        Repaint_Pace::Clock::time_point now{};
        run.pace.Use_Clock(
            [&] {
                now += run.pace.Refresh();
                return now;
            },
            [&](Repaint_Pace::Clock::duration time) { now += time; });
        ASSERT_TRUE(run.Read_Settings());
        int before = window.Paints();
        ASSERT_TRUE(run.Build());
        // Each of the five registrations repaints; then one paint shows them all.
        EXPECT_EQ(window.Paints() - before, 5 + 1);
        EXPECT_EQ(run.pace.Waits(), 1u);
        before = window.Paints();
        ASSERT_TRUE(run.Train());
        const uint64_t steps = redraw != 0 ? 2 * 3 : 0;
        EXPECT_EQ(run.pace.Waits(), 1 + steps);
        EXPECT_EQ(window.Paints() - before, static_cast<int>(steps));
        before = window.Paints();
        run.Dream_Cycle();
        run.Dream_Cycle();
        EXPECT_EQ(run.pace.Waits(), 1 + steps + 2);
        EXPECT_EQ(window.Paints() - before, 2);
    }
}

TEST(Worker_Stages, StopAskedBetweenStepsEndsTheStage) {
    Temporary_Directory here;
    Write_File("settings.txt", "3 2 4 1 0 5 0.1");
    Write_Training_Images({Noise_Image(1), Noise_Image(2)});
    Headless_Network network;
    Worker_Stop stop;
    Training_Worker_Argument argument{&network.stack, &stop};
    Training_Run run(argument);
    ASSERT_TRUE(run.Read_Settings());
    ASSERT_TRUE(run.Build());
    const std::vector<double> before = All_Weights(*network.stack.connections[0]);
    stop.Request();
    EXPECT_FALSE(run.Train());
    EXPECT_EQ(All_Weights(*network.stack.connections[0]), before);  // not a single step
}

}  // namespace
