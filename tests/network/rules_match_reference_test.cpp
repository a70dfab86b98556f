// The program's rules against the plain reference: the same training steps
// and dreaming cycles on two copies of one network, from the same random
// state, must give the same states, the same draws and the same weights to
// the last bit, on networks of many shapes, on image-like, empty and full
// inputs, with weights that are not finite and with rates that make them
// overflow.
#include "network/random_source.h"
#include "network/reference_rules.h"
#include "support/rule_variants.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// The random state after each pass up and after the learning half of one
// training step.
std::vector<uint32_t> Traced_Step(Test_Network& network, const Rule_Set& rules, int32_t p, const Pattern& input,
                                  double rate, uint32_t start) {
    std::vector<uint32_t> trace;
    Set_Random_State(start);
    Load_Pattern(*network.layers[0], input);
    for (int32_t c = 0; c <= p; ++c) {
        rules.sample_up(*network.connections[c]);
        trace.push_back(Random_State());
    }
    Learn_From_Sample(rules, *network.connections[p], rate);
    trace.push_back(Random_State());
    return trace;
}

// One dreaming cycle: the first (up to) four units of the top layer's first
// row set with even odds, then every layer below sampled down in turn.
std::vector<uint32_t> Traced_Dream(Test_Network& network, const Rule_Set& rules, uint32_t start) {
    std::vector<uint32_t> trace;
    Set_Random_State(start);
    Neuron_Layer& top = *network.layers.back();
    if (top.height > 0)
        for (int32_t x = 0; x < std::min(top.width, 4); ++x)
            top.columns[x][0] = Random_Fraction(Draw_Random()) < 0.5 ? 1 : 0;
    trace.push_back(Random_State());
    for (size_t c = network.connections.size(); c-- > 0;) {
        rules.sample_down(*network.connections[c]);
        trace.push_back(Random_State());
    }
    return trace;
}

// A weight written into both networks.
struct Injection {
    int32_t step;  // of the pass
    int32_t pass;
    int32_t connection;
    int32_t lower;  // taken modulo the counts
    int32_t upper;
    double value;
};

struct Plan {
    std::string name;
    std::vector<Layer_Shape> shapes;
    int32_t steps;  // per pass
    double first_rate;
    std::vector<Injection> injections;
    // The plan is meant to leave weights that are infinite or not a number.
    bool ends_non_finite = false;
    int32_t dream_cycles = 20;
};

bool Has_Non_Finite_Weight(const Test_Network& network) {
    for (const auto& connection : network.connections)
        for (int32_t l = 0; l < connection->Lower_Count(); ++l)
            for (int32_t u = 0; u < connection->Upper_Count(); ++u)
                if (!std::isfinite(connection->weights[l][u].weight)) return true;
    return false;
}

// Image-like inputs for the bottom layer, with an empty and a full one now
// and then.
Pattern Input_For_Step(const Layer_Shape& shape, int32_t step) {
    if (step % 11 == 5) return Uniform_Pattern(shape.width, shape.height, 0);
    if (step % 13 == 9) return Uniform_Pattern(shape.width, shape.height, 1);
    const uint32_t seed = static_cast<uint32_t>(step % 40);
    return step % 3 == 2 ? Blob_Pattern(shape.width, shape.height, seed) : Stroke_Pattern(shape.width, shape.height, seed);
}

void Inject(Test_Network& program, Test_Network& reference, const Injection& injection) {
    Layer_Connection& p = *program.connections[injection.connection];
    Layer_Connection& r = *reference.connections[injection.connection];
    if (p.Lower_Count() == 0 || p.Upper_Count() == 0) return;
    const int32_t l = injection.lower % p.Lower_Count();
    const int32_t u = injection.upper % p.Upper_Count();
    p.Set_Weight(l, u, injection.value);
    r.Set_Weight(l, u, injection.value);
}

// Runs the plan on the program's rules and the reference side by side and
// stops at the first step after which they differ.
void Run_Plan(const Plan& plan, const Rule_Set& program_rules, const Rule_Variant& variant) {
    Set_Random_State(1);
    Test_Network program = Make_Network(plan.shapes, variant);
    Test_Network reference = Copy_Network(program);
    ASSERT_EQ(First_Difference(program, reference), "");
    const Rule_Set reference_rules = Reference_Rules();

    for (int32_t p = 0; p < static_cast<int32_t>(program.connections.size()); ++p) {
        for (int32_t i = 0; i < plan.steps; ++i) {
            for (const Injection& injection : plan.injections)
                if (injection.pass == p && injection.step == i) Inject(program, reference, injection);
            const double rate = plan.first_rate - (static_cast<double>(i) / plan.steps) * plan.first_rate;
            const Pattern input = Input_For_Step(plan.shapes[0], i);
            const uint32_t start = Random_State();
            const auto program_trace = Traced_Step(program, program_rules, p, input, rate, start);
            const auto reference_trace = Traced_Step(reference, reference_rules, p, input, rate, start);
            ASSERT_EQ(program_trace, reference_trace) << "draws differ in pass " << p << ", step " << i;
            ASSERT_EQ(First_Difference(program, reference), "") << "pass " << p << ", step " << i;
        }
    }
    for (int32_t cycle = 0; cycle < plan.dream_cycles; ++cycle) {
        const uint32_t start = Random_State();
        const auto program_trace = Traced_Dream(program, program_rules, start);
        const auto reference_trace = Traced_Dream(reference, reference_rules, start);
        ASSERT_EQ(program_trace, reference_trace) << "draws differ in dreaming cycle " << cycle;
        ASSERT_EQ(First_Difference(program, reference), "") << "dreaming cycle " << cycle;
    }
    EXPECT_EQ(Has_Non_Finite_Weight(program), plan.ends_non_finite);
}

const std::vector<Injection> non_finite_weights = {
    // Into connection 0 while it is trained: a NaN, and infinities that meet
    // neurons both on and off over the following steps.
    {20, 0, 0, 300, 5, not_a_number},
    {20, 0, 0, 377, 2, infinity},
    {25, 0, 0, 406, 7, -infinity},
    {30, 0, 0, 14, 1, infinity},
    {30, 0, 0, 15, 1, -infinity},
    {40, 0, 0, 0, 0, -infinity},
    // Into connection 1 while connection 0 only carries the images up.
    {10, 1, 1, 3, 3, not_a_number},
    {15, 1, 1, 6, 9, infinity},
    {15, 1, 1, 8, 9, -infinity},
    {50, 1, 0, 350, 11, not_a_number},
};

std::vector<Plan> Plans() {
    return {
        {"tiny", {{2, 2}, {3, 1}, {1, 2}}, 300, 0.1, {}},
        {"one_by_one", {{1, 1}, {1, 1}, {1, 1}}, 300, 0.1, {}},
        {"non_square", {{5, 3}, {7, 2}, {3, 5}}, 300, 0.2, {}},
        {"odd_sizes", {{28, 28}, {13, 7}, {9, 5}}, 150, 0.1, {}},
        {"mnist_like", {{28, 28}, {10, 10}, {8, 8}}, 250, 0.1, {}},
        {"mnist_like_high_rate", {{28, 28}, {10, 10}, {8, 8}}, 150, 0.85, {}},
        {"non_finite_weights", {{28, 28}, {10, 10}, {8, 8}}, 150, 0.1, non_finite_weights, true},
        {"non_finite_tiny", {{3, 2}, {2, 3}, {1, 3}}, 200, 0.3, non_finite_weights, true},
        // Rates this large drive the weights to overflow to infinity within a
        // few steps, and from there to NaN.
        {"overflowing_rate", {{28, 28}, {10, 10}, {8, 8}}, 60, 1e154, {}, true},
        {"overflowing_rate_small", {{4, 3}, {5, 1}, {2, 2}}, 120, 1e100, {}, true},
        {"negative_rate", {{6, 6}, {5, 3}, {4, 2}}, 200, -2.5, {}},
    };
}

Rule_Set Program_Rules_In_One(bool in_one) { return in_one ? Program_Rules() : Program_Rules_Step_By_Step(); }

// A plan with the learning half of every step run as the worker runs it
// (Learn_From_Sample) or as the three separate rules.
struct Plan_Run {
    Plan plan;
    bool in_one;
    std::string name;
};

void PrintTo(const Plan_Run& run, std::ostream* out) { *out << run.name; }

std::vector<Plan_Run> Plan_Runs() {
    std::vector<Plan_Run> runs;
    for (const Plan& plan : Plans())
        for (const bool in_one : {true, false})
            runs.push_back({plan, in_one, plan.name + (in_one ? "_InOnePass" : "_StepByStep")});
    return runs;
}

class Network_Plan_Matches_Reference : public On_Each_Rule_Variant_With<Plan_Run> {};

TEST_P(Network_Plan_Matches_Reference, OverTrainingAndDreaming) {
    Run_Plan(Tested().plan, Program_Rules_In_One(Tested().in_one), Variant());
}

INSTANTIATE_TEST_SUITE_P(Plans, Network_Plan_Matches_Reference, Each_Variant_With(testing::ValuesIn(Plan_Runs())),
                         Variant_Case_Test_Name<Plan_Run>);

class Network_Rules_Match_Reference : public On_Each_Rule_Variant {};

// The width of the trained network of the program: each pass still checked
// against the reference, but only for a few steps, since the plain rules
// take milliseconds per step at this size.
TEST_P(Network_Rules_Match_Reference, OnAWideNetwork) {
    for (const bool in_one : {true, false}) {
        SCOPED_TRACE(in_one ? "learning in one pass" : "learning step by step");
        Run_Plan({"wide", {{28, 28}, {25, 20}, {20, 25}}, 12, 0.1, {{5, 0, 0, 400, 321, not_a_number}}, true, 3},
                 Program_Rules_In_One(in_one), Variant());
    }
}

// Weights that are not finite written before any step.
TEST_P(Network_Rules_Match_Reference, AfterWeightsWrittenBeforeTraining) {
    for (const bool in_one : {true, false}) {
        SCOPED_TRACE(in_one ? "learning in one pass" : "learning step by step");
        Set_Random_State(1);
        Test_Network program = Make_Network({{28, 28}, {10, 10}, {8, 8}}, Variant());
        Layer_Connection& first = *program.connections[0];
        first.Set_Weight(3, 4, infinity);
        first.Set_Weight(700, 99, not_a_number);
        first.Set_Weight(401, 0, -infinity);
        Test_Network reference = Copy_Network(program);
        for (int32_t i = 0; i < 40; ++i) {
            const uint32_t start = Random_State();
            const Pattern input = Input_For_Step({28, 28}, i);
            const int32_t p = i < 20 ? 0 : 1;
            ASSERT_EQ(Traced_Step(program, Program_Rules_In_One(in_one), p, input, 0.1, start),
                      Traced_Step(reference, Reference_Rules(), p, input, 0.1, start));
            ASSERT_EQ(First_Difference(program, reference), "") << "step " << i;
        }
    }
}

// The program stores only 0 and 1, but a state enters the sums as the signed
// 8-bit number it is, and any state but 0 counts as on in the updates.
TEST_P(Network_Rules_Match_Reference, WithStatesOtherThanZeroAndOne) {
    Set_Random_State(5);
    Test_Network program = Make_Network({{5, 3}, {3, 3}}, Variant());
    Test_Network reference = Copy_Network(program);
    const Neuron_State odd_states[] = {2, -1, 0, 1, 3, -2, 0, 1};
    auto set_odd_states = [&](Test_Network& network, int round) {
        for (size_t i = 0; i < network.layers.size(); ++i) {
            Neuron_Layer& layer = *network.layers[i];
            for (int32_t x = 0; x < layer.width; ++x)
                for (int32_t y = 0; y < layer.height; ++y)
                    layer.columns[x][y] = odd_states[(x * 5 + y * 3 + i + round) % 8];
        }
    };
    Layer_Connection& p = *program.connections[0];
    Layer_Connection& r = *reference.connections[0];
    for (int round = 0; round < 4; ++round) {
        // Each pass reads the odd states of the layer it samples from.
        uint32_t start = Random_State();
        set_odd_states(program, round);
        p.Update_Positive(0.2);
        p.Sample_Up();
        uint32_t program_end = Random_State();
        Set_Random_State(start);
        set_odd_states(reference, round);
        Reference_Update_Positive(r, 0.2);
        Reference_Sample_Up(r);
        EXPECT_EQ(program_end, Random_State());
        EXPECT_EQ(First_Difference(program, reference), "") << "sampling up, round " << round;

        start = Random_State();
        set_odd_states(program, round + 1);
        p.Sample_Down();
        p.Update_Negative(0.2);
        program_end = Random_State();
        Set_Random_State(start);
        set_odd_states(reference, round + 1);
        Reference_Sample_Down(r);
        Reference_Update_Negative(r, 0.2);
        EXPECT_EQ(program_end, Random_State());
        EXPECT_EQ(First_Difference(program, reference), "") << "sampling down, round " << round;
    }
}

// Layers without neurons: a pass onto an empty layer draws nothing, a pass
// from one gives every target the sum 0.
TEST_P(Network_Rules_Match_Reference, WithEmptyLayers) {
    for (const std::vector<Layer_Shape>& shapes : std::vector<std::vector<Layer_Shape>>{
             {{2, 3}, {0, 4}}, {{0, 5}, {3, 2}}, {{4, 0}, {2, 2}}, {{3, 3}, {3, 0}}}) {
        Set_Random_State(77);
        Test_Network program = Make_Network(shapes, Variant());
        Test_Network reference = Copy_Network(program);
        Layer_Connection& p = *program.connections[0];
        Layer_Connection& r = *reference.connections[0];
        const uint32_t start = Random_State();
        Set_Random_State(start);
        p.Sample_Up();
        p.Update_Positive(0.3);
        p.Sample_Down();
        p.Update_Negative(0.3);
        const uint32_t program_end = Random_State();
        Set_Random_State(start);
        Reference_Sample_Up(r);
        Reference_Update_Positive(r, 0.3);
        Reference_Sample_Down(r);
        Reference_Update_Negative(r, 0.3);
        EXPECT_EQ(program_end, Random_State());
        EXPECT_EQ(First_Difference(program, reference), "");
        // One draw per neuron of each target layer.
        Set_Random_State(start);
        for (int32_t k = 0; k < p.Upper_Count() + p.Lower_Count(); ++k) Draw_Random();
        EXPECT_EQ(program_end, Random_State());
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, Network_Rules_Match_Reference, testing::ValuesIn(Rule_Variants()),
                         Variant_Test_Name);

}  // namespace
