// The benchmarks' baseline, the rules over plain arrays of doubles
// (tests/support/plain_network.h), against the reference rules on the
// program's connections: from the same random state they must draw the same
// starting weights, and give the same states, draws and weights to the last
// bit over training steps of both passes and dreaming cycles, so that the
// baseline does the work the program does.
#include "network/random_source.h"
#include "network/reference_rules.h"
#include "support/plain_network.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// Where the plain network first differs from the test network ("" if it
// does not): the layer or connection, the position and both values.
std::string First_Difference(const Plain_Network& plain, const Test_Network& network) {
    char text[200];
    for (size_t i = 0; i < network.layers.size(); ++i) {
        const Neuron_Layer& layer = *network.layers[i];
        for (int32_t x = 0; x < layer.width; ++x)
            for (int32_t y = 0; y < layer.height; ++y) {
                const Neuron_State state = plain.layers[i].states[static_cast<size_t>(x) * layer.height + y];
                if (state != layer.columns[x][y]) {
                    std::snprintf(text, sizeof text, "layer %zu state (%d, %d): %d against %d", i, x, y, state,
                                  layer.columns[x][y]);
                    return text;
                }
            }
    }
    for (size_t i = 0; i < network.connections.size(); ++i) {
        const Layer_Connection& connection = *network.connections[i];
        const Plain_Connection& weights = plain.connections[i];
        for (int32_t l = 0; l < connection.Lower_Count(); ++l)
            for (int32_t u = 0; u < connection.Upper_Count(); ++u) {
                const double a = weights.weights[static_cast<size_t>(l) * weights.upper_count + u];
                const double b = connection.weights[l][u].weight;
                if (std::memcmp(&a, &b, sizeof a) != 0) {
                    std::snprintf(text, sizeof text, "connection %zu weight [%d][%d]: %.17g against %.17g", i, l, u,
                                  a, b);
                    return text;
                }
            }
    }
    return "";
}

struct Baseline_Case {
    const char* name;
    std::vector<Layer_Shape> shapes;
    int32_t steps;  // per pass
    double first_rate;
};

class Network_Plain_Baseline : public testing::TestWithParam<Baseline_Case> {};

TEST_P(Network_Plain_Baseline, MatchesTheReferenceFromStartingWeightsToDreams) {
    const Baseline_Case& c = GetParam();
    Set_Random_State(1);
    Plain_Network plain = Make_Plain_Network(c.shapes);
    const uint32_t after_plain = Random_State();
    Set_Random_State(1);
    Test_Network reference = Make_Network(c.shapes);
    ASSERT_EQ(Random_State(), after_plain) << "the starting weights took other draws";
    ASSERT_EQ(First_Difference(plain, reference), "") << "starting weights";

    const Rule_Set rules = Reference_Rules();
    const Layer_Shape& input = c.shapes[0];
    for (int32_t p = 0; p + 1 < static_cast<int32_t>(c.shapes.size()); ++p) {
        for (int32_t i = 0; i < c.steps; ++i) {
            // An infinite and a NaN weight, which the sums and updates must
            // meet as the rules do.
            if (i == c.steps / 2) {
                Plain_Connection& weights = plain.connections[p];
                for (const auto& [k, value] : {std::pair{3, std::numeric_limits<double>::infinity()},
                                               std::pair{7, std::numeric_limits<double>::quiet_NaN()}}) {
                    const int32_t l = k % weights.lower_count;
                    const int32_t u = (k * 5) % weights.upper_count;
                    weights.weights[static_cast<size_t>(l) * weights.upper_count + u] = value;
                    reference.connections[p]->Set_Weight(l, u, value);
                }
            }
            const Pattern image = i % 3 == 2 ? Blob_Pattern(input.width, input.height, static_cast<uint32_t>(i))
                                             : Stroke_Pattern(input.width, input.height, static_cast<uint32_t>(i));
            const double rate = c.first_rate - (static_cast<double>(i) / c.steps) * c.first_rate;
            const uint32_t start = Random_State();
            Plain_Training_Step(plain, p, image, rate);
            const uint32_t plain_end = Random_State();
            Set_Random_State(start);
            Training_Step(reference, rules, p, image, rate);
            ASSERT_EQ(plain_end, Random_State()) << "draws differ in pass " << p << ", step " << i;
            ASSERT_EQ(First_Difference(plain, reference), "") << "pass " << p << ", step " << i;
        }
    }
    // Dreaming: the first units of the top layer's first row set, then every
    // layer sampled down in turn.
    for (int32_t cycle = 0; cycle < 5; ++cycle) {
        const uint32_t start = Random_State();
        Plain_Layer& top = plain.layers.back();
        for (int32_t x = 0; x < top.width; ++x) top.states[static_cast<size_t>(x) * top.height] = x % 2;
        for (size_t k = plain.connections.size(); k-- > 0;) Plain_Sample_Down(plain, static_cast<int32_t>(k));
        const uint32_t plain_end = Random_State();
        Set_Random_State(start);
        Neuron_Layer& top_layer = *reference.layers.back();
        for (int32_t x = 0; x < top_layer.width; ++x) top_layer.columns[x][0] = static_cast<Neuron_State>(x % 2);
        for (size_t k = reference.connections.size(); k-- > 0;) Reference_Sample_Down(*reference.connections[k]);
        ASSERT_EQ(plain_end, Random_State()) << "draws differ in dreaming cycle " << cycle;
        ASSERT_EQ(First_Difference(plain, reference), "") << "dreaming cycle " << cycle;
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, Network_Plain_Baseline,
                         testing::Values(Baseline_Case{"mnist_like", {{28, 28}, {10, 10}, {8, 8}}, 40, 0.1},
                                         Baseline_Case{"non_square", {{5, 3}, {7, 2}, {3, 5}}, 60, 0.3},
                                         Baseline_Case{"high_rate", {{6, 6}, {5, 3}, {4, 2}}, 40, 0.85}),
                         [](const testing::TestParamInfo<Baseline_Case>& named) { return std::string(named.param.name); });

// Each sum adds its products in ascending index of the other layer: these
// weights add up to 1 in that order, and to 0, 2, 3 or 5 if any two
// neighbours after the first are swapped or the order is reversed. A draw
// of 0.6 fires a sum of 1 (p = 0.73) but not 0; a draw of 0.8 fires 2, 3 and
// 5 but not 1.
TEST(Network_Plain_Baseline, SumsInAscendingIndexOfTheOtherLayer) {
    const std::vector<double> terms = {1.0, 1e16, 2.0, -1.0, 2.0, -1.0, 1.0, -1e16, 1.0};
    const int32_t count = static_cast<int32_t>(terms.size());
    for (const bool up : {true, false}) {
        for (const double fraction : {0.6, 0.8}) {
            Plain_Network network = Make_Plain_Network(up ? std::vector<Layer_Shape>{{1, count}, {1, 1}}
                                                          : std::vector<Layer_Shape>{{1, 1}, {1, count}});
            std::vector<double>& weights = network.connections[0].weights;
            for (int32_t k = 0; k < count; ++k) weights[k] = terms[k];
            const int draw = static_cast<int>(fraction * 32767);
            Set_Random_State(Random_State_Before(draw));
            if (up)
                Plain_Sample_Up(network, 0);
            else
                Plain_Sample_Down(network, 0);
            const Neuron_State state = network.layers[up ? 1 : 0].states[0];
            EXPECT_EQ(state, fraction < Firing_Probability(1.0) ? 1 : 0) << (up ? "up" : "down") << ", " << fraction;
        }
    }
}

// The benchmark starts the baseline from a copy of a network the program
// has trained: the copy holds its states and weights.
TEST(Network_Plain_Baseline, CopiesATestNetworksStatesAndWeights) {
    Set_Random_State(4);
    Test_Network network = Make_Network({{5, 4}, {3, 3}, {2, 3}});
    Training_Step(network, Program_Rules(), 1, Stroke_Pattern(5, 4, 2), 0.2);
    const uint32_t before = Random_State();
    const Plain_Network copy = Plain_Copy(network);
    EXPECT_EQ(Random_State(), before);
    EXPECT_EQ(First_Difference(copy, network), "");
}

}  // namespace
