// Learn_From_Sample against Update_Positive, Sample_Down and Update_Negative
// in a row: on two copies of one connection, from the same random state,
// they must leave the same weights (bit for bit),
// the same lower states, the random source in the same state and the same
// rows marked as possibly holding a weight that is not finite. Each case
// runs many steps, with image-like, empty and full layers, weights that are
// infinite or NaN, rates that overflow the weights, and states other than 0
// and 1.
#include "network/layer_connection.h"
#include "network/random_source.h"
#include "support/rule_variants.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// How the two layers get their states before each step.
enum class Sample {
    up_from_images,  // image-like patterns into the lower layer, then Sample_Up
    odd_states,      // both layers set directly, with states such as 2 and -1
    lower_all_on,    // lower layer all 1, then Sample_Up
    upper_all_on,    // image into the lower layer, upper layer all 1
    upper_all_off,   // image into the lower layer, upper layer all 0
};

// A weight written with Set_Weight into both copies before a step.
struct Injection {
    int32_t step;
    int32_t lower;  // taken modulo the counts
    int32_t upper;
    double value;
};

struct Learning_Case {
    std::string name;
    Layer_Shape lower;
    Layer_Shape upper;
    Sample sample;
    int32_t steps;
    double rate;  // of the first step, falling linearly to rate / steps
    std::vector<Injection> injections;
    // The case is meant to leave weights that are infinite or not a number.
    bool ends_non_finite = false;
};

void PrintTo(const Learning_Case& c, std::ostream* out) { *out << c.name; }

Pattern Image_For_Step(const Layer_Shape& shape, int32_t step) {
    if (step % 9 == 4) return Uniform_Pattern(shape.width, shape.height, 0);
    if (step % 11 == 7) return Uniform_Pattern(shape.width, shape.height, 1);
    const uint32_t seed = static_cast<uint32_t>(step);
    if (step % 2 == 0) return Stroke_Pattern(shape.width, shape.height, seed);
    return Blob_Pattern(shape.width, shape.height, seed);
}

void Set_All(Neuron_Layer& layer, Neuron_State state) {
    for (int32_t x = 0; x < layer.width; ++x)
        for (int32_t y = 0; y < layer.height; ++y) layer.columns[x][y] = state;
}

// States of all kinds: any state but 0 counts as on in the updates, and a
// state enters a sum as the signed number it is.
void Set_Odd_States(Neuron_Layer& layer, int32_t step, int32_t salt) {
    const Neuron_State odd_states[] = {2, -1, 0, 1, 3, -2, 0, 1, 0, 127};
    for (int32_t x = 0; x < layer.width; ++x)
        for (int32_t y = 0; y < layer.height; ++y) layer.columns[x][y] = odd_states[(x * 7 + y * 3 + step + salt) % 10];
}

// Gives both layers of the network their states for the step.
void Prepare_States(Test_Network& network, const Learning_Case& c, int32_t step) {
    Layer_Connection& connection = *network.connections[0];
    Neuron_Layer& lower = *network.layers[0];
    Neuron_Layer& upper = *network.layers[1];
    switch (c.sample) {
        case Sample::up_from_images:
            Load_Pattern(lower, Image_For_Step(c.lower, step));
            connection.Sample_Up();
            break;
        case Sample::odd_states:
            Set_Odd_States(lower, step, 0);
            Set_Odd_States(upper, step, 5);
            break;
        case Sample::lower_all_on:
            Set_All(lower, 1);
            connection.Sample_Up();
            break;
        case Sample::upper_all_on:
        case Sample::upper_all_off:
            Load_Pattern(lower, Image_For_Step(c.lower, step));
            Set_All(upper, c.sample == Sample::upper_all_on ? 1 : 0);
            break;
    }
}

// The first row that one connection marks as possibly holding a weight that
// is not finite and the other does not, or -1.
int32_t First_Bookkeeping_Difference(const Layer_Connection& a, const Layer_Connection& b) {
    for (int32_t l = 0; l < a.Lower_Count(); ++l)
        if (a.Row_May_Be_Non_Finite(l) != b.Row_May_Be_Non_Finite(l)) return l;
    return -1;
}

std::vector<Neuron_State> States_Of(const Neuron_Layer& layer) {
    std::vector<Neuron_State> states;
    for (int32_t x = 0; x < layer.width; ++x)
        for (int32_t y = 0; y < layer.height; ++y) states.push_back(layer.columns[x][y]);
    return states;
}

bool Has_Non_Finite_Weight(const Layer_Connection& connection) {
    for (int32_t l = 0; l < connection.Lower_Count(); ++l)
        for (int32_t u = 0; u < connection.Upper_Count(); ++u)
            if (!std::isfinite(connection.weights[l][u].weight)) return true;
    return false;
}

class Network_Learn_From_Sample : public On_Each_Rule_Variant_With<Learning_Case> {};

TEST_P(Network_Learn_From_Sample, EqualsTheThreeRulesInARow) {
    const Learning_Case& c = Tested();
    Set_Random_State(3);
    Test_Network in_one = Make_Network({c.lower, c.upper}, Variant());
    // The vector kernels take whole rows in Sample_Up and the whole columns
    // of the upper neurons that are on, unless a state is neither 0 nor 1
    // (then every row is summed in full).
    const bool has_upper = c.upper.width * c.upper.height > 0;
    const bool samples_up = c.sample == Sample::up_from_images || c.sample == Sample::lower_all_on;
    const bool by_columns = c.sample != Sample::odd_states && c.sample != Sample::upper_all_off;
    if (!has_upper || (!samples_up && !by_columns)) Allow_No_Kernel_Run();
    Test_Network step_by_step = Copy_Network(in_one);
    Layer_Connection& one = *in_one.connections[0];
    Layer_Connection& three = *step_by_step.connections[0];
    int32_t lower_changes = 0;  // steps after which some lower state differs from before
    for (int32_t step = 0; step < c.steps; ++step) {
        for (const Injection& injection : c.injections) {
            if (injection.step != step || one.Lower_Count() == 0 || one.Upper_Count() == 0) continue;
            const int32_t l = injection.lower % one.Lower_Count();
            const int32_t u = injection.upper % one.Upper_Count();
            one.Set_Weight(l, u, injection.value);
            three.Set_Weight(l, u, injection.value);
        }
        const uint32_t start = Random_State();
        Prepare_States(in_one, c, step);
        const uint32_t sampled = Random_State();
        Set_Random_State(start);
        Prepare_States(step_by_step, c, step);
        ASSERT_EQ(Random_State(), sampled);
        ASSERT_EQ(First_Difference(in_one, step_by_step), "") << "before step " << step;
        const std::vector<Neuron_State> lower_before = States_Of(*in_one.layers[0]);

        const double rate = c.rate - (static_cast<double>(step) / c.steps) * c.rate;
        one.Learn_From_Sample(rate);
        const uint32_t after_one = Random_State();
        Set_Random_State(sampled);
        three.Update_Positive(rate);
        three.Sample_Down();
        three.Update_Negative(rate);
        ASSERT_EQ(after_one, Random_State()) << "draws differ in step " << step;
        ASSERT_EQ(First_Difference(in_one, step_by_step), "") << "step " << step;
        ASSERT_EQ(First_Bookkeeping_Difference(one, three), -1) << "step " << step;
        if (States_Of(*in_one.layers[0]) != lower_before) ++lower_changes;
    }
    // The cases do what they are meant to: the lower layer is sampled anew
    // (where it has neurons), and weights that are not finite are reached.
    if (one.Lower_Count() > 0) {
        EXPECT_GT(lower_changes, 0);
    }
    EXPECT_EQ(Has_Non_Finite_Weight(one), c.ends_non_finite);
}

const std::vector<Injection> non_finite_weights = {
    // Before the first step, so rows start out marked; later ones into rows
    // and columns both on and off, and a row made finite again.
    {0, 300, 5, not_a_number},
    {0, 14, 1, infinity},
    {3, 377, 2, infinity},
    {3, 406, 7, -infinity},
    {6, 15, 1, -infinity},
    {6, 0, 0, not_a_number},
    {9, 300, 5, 0.25},
    {12, 401, 60, infinity},
    {12, 402, 61, -infinity},
};

std::vector<Learning_Case> Cases() {
    return {
        {"image_like", {28, 28}, {10, 10}, Sample::up_from_images, 60, 0.1, {}},
        {"program_width", {28, 28}, {25, 20}, Sample::up_from_images, 10, 0.1, {}},
        {"odd_sizes", {13, 7}, {9, 5}, Sample::up_from_images, 60, 0.2, {}},
        {"tiny", {2, 2}, {3, 1}, Sample::up_from_images, 100, 0.3, {}},
        {"one_by_one", {1, 1}, {1, 1}, Sample::up_from_images, 100, 0.3, {}},
        {"high_rate", {28, 28}, {10, 10}, Sample::up_from_images, 40, 0.85, {}},
        {"negative_rate", {6, 6}, {5, 3}, Sample::up_from_images, 60, -2.5, {}},
        {"zero_rate", {6, 6}, {5, 3}, Sample::up_from_images, 20, 0.0, {}},
        {"non_finite_weights", {28, 28}, {10, 10}, Sample::up_from_images, 30, 0.1, non_finite_weights, true},
        {"non_finite_tiny", {3, 2}, {2, 3}, Sample::up_from_images, 30, 0.3, non_finite_weights, true},
        // Weights overflow within a few steps, and from there become NaN.
        {"overflowing_rate", {28, 28}, {10, 10}, Sample::up_from_images, 20, 1e154, {}, true},
        // The first positive update already overflows: (1 - w) × a × 1.109
        // is beyond the largest double for w below about -0.05.
        {"overflowing_at_once", {10, 10}, {6, 5}, Sample::up_from_images, 6, 1.7e308, {}, true},
        {"odd_states", {5, 3}, {3, 3}, Sample::odd_states, 40, 0.2, {}},
        {"odd_states_non_finite", {5, 3}, {3, 3}, Sample::odd_states, 20, 0.2, non_finite_weights, true},
        {"odd_states_overflowing", {5, 3}, {3, 3}, Sample::odd_states, 6, 1.7e308, {}, true},
        {"lower_all_on", {28, 28}, {10, 10}, Sample::lower_all_on, 10, 0.1, {}},
        {"upper_all_on", {28, 28}, {10, 10}, Sample::upper_all_on, 10, 0.1, {}},
        {"upper_all_off", {28, 28}, {10, 10}, Sample::upper_all_off, 10, 0.1, {}},
        {"empty_lower", {0, 5}, {3, 2}, Sample::up_from_images, 5, 0.3, {}},
        {"empty_lower_rows", {4, 0}, {2, 2}, Sample::up_from_images, 5, 0.3, {}},
        {"empty_upper", {2, 3}, {0, 4}, Sample::up_from_images, 5, 0.3, {}},
        {"empty_upper_rows", {3, 3}, {3, 0}, Sample::up_from_images, 5, 0.3, {}},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, Network_Learn_From_Sample, Each_Variant_With(testing::ValuesIn(Cases())),
                         Variant_Case_Test_Name<Learning_Case>);

}  // namespace
