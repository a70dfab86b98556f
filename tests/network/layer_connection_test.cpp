// Building a connection: the starting weights, the order in which they take
// their draws, their scale, empty layers and rebuilding.
#include "network/layer_connection.h"
#include "network/random_source.h"
#include "support/random_draws.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

namespace {

// Two layers of one column each and a connection between them, built from a
// fresh random source.
struct Built_Connection {
    Built_Connection(int32_t lower_count, int32_t upper_count) {
        lower.Create(1, lower_count);
        upper.Create(1, upper_count);
        Set_Random_State(1);
        connection.Create(&lower, &upper);
    }
    ~Built_Connection() {
        connection.Destroy();
        lower.Destroy();
        upper.Destroy();
    }
    Neuron_Layer lower;
    Neuron_Layer upper;
    Layer_Connection connection;
};

// The cells can be read as weights[l][u].weight but not written that way:
// a weight changed from outside goes through Set_Weight, which keeps the
// connection's bookkeeping beside the cells true.
static_assert(std::is_same_v<decltype(std::declval<Layer_Connection&>().weights[0]), const Weight_Cell*>);
static_assert(!std::is_assignable_v<decltype((std::declval<Layer_Connection&>().weights[0][0].weight)), double>);

TEST(Network_Layer_Connection, StartingWeightsOf784By100) {
    Built_Connection built(784, 100);
    const auto& weights = built.connection.weights;
    EXPECT_NEAR(weights[0][0].weight, -0.0474461, 5e-8);
    EXPECT_NEAR(weights[0][1].weight, 0.0060489, 5e-8);
    EXPECT_NEAR(weights[0][2].weight, -0.0291761, 5e-8);
    // h = 442, s = √442: every weight within ±1/s, none exactly 0.
    const double bound = 1 / std::sqrt(442.0);
    EXPECT_NEAR(bound, 0.047565, 1e-6);
    for (int32_t l = 0; l < 784; ++l)
        for (int32_t u = 0; u < 100; ++u) {
            ASSERT_LE(std::fabs(weights[l][u].weight), bound) << l << "," << u;
            ASSERT_NE(weights[l][u].weight, 0.0);
        }
    EXPECT_EQ(Random_State(), Random_State_After(1, 784 * 100));
}

// (784 + 101) / 2 rounds down to 442, so the scale is that of U = 100: draw
// 41 gives ((41 / 32767) × 2 - 1) / √442 in both.
TEST(Network_Layer_Connection, OneMoreUpperNeuronKeepsTheScale) {
    Built_Connection hundred(784, 100);
    Built_Connection hundred_and_one(784, 101);
    EXPECT_EQ(hundred.connection.weights[0][0].weight, hundred_and_one.connection.weights[0][0].weight);
    EXPECT_EQ(hundred_and_one.connection.weights[0][0].weight, ((41 / 32767.0) * 2 - 1) / std::pow(442.0, 0.5));
}

// The k-th draw goes to row k div U at position k mod U.
TEST(Network_Layer_Connection, DrawsFillTheRowsInOrder) {
    Set_Random_State(1);
    int draws[6];
    for (int& draw : draws) draw = Draw_Random();
    Built_Connection built(2, 3);
    const double scale = std::pow(2.0, 0.5);  // h = (2 + 3) / 2 = 2
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(built.connection.weights[k / 3][k % 3].weight, ((draws[k] / 32767.0) * 2 - 1) / scale) << k;
    EXPECT_EQ(draws[3], 26500);
}

TEST(Network_Layer_Connection, OneByOneHasScaleOne) {
    Built_Connection built(1, 1);
    EXPECT_EQ(built.connection.weights[0][0].weight, (41 / 32767.0) * 2 - 1);
}

TEST(Network_Layer_Connection, EmptyLayersDrawNothing) {
    for (const auto& [lower_count, upper_count] : {std::pair{784, 0}, std::pair{0, 100}, std::pair{0, 0}}) {
        Built_Connection built(lower_count, upper_count);
        EXPECT_EQ(Random_State(), 1u);
        EXPECT_EQ(built.connection.panel[0].picture.bitmap.Width(), lower_count);
        EXPECT_EQ(built.connection.panel[0].picture.bitmap.Height(), upper_count);
    }
}

TEST(Network_Layer_Connection, PanelIsOnePixelPerWeight) {
    Built_Connection built(12, 7);
    const On_Screen_Object_Bitmap& panel = built.connection.panel[0];
    EXPECT_EQ(panel.picture.bitmap.Width(), 12);
    EXPECT_EQ(panel.picture.bitmap.Height(), 7);
    EXPECT_EQ(panel.bounds.left, 100);
    EXPECT_EQ(panel.bounds.top, 100);
    EXPECT_EQ(panel.bounds.right, 112);
    EXPECT_EQ(panel.bounds.bottom, 107);
}

// Rebuilding with layers of other sizes releases the old rows and draws the
// new matrix afresh.
TEST(Network_Layer_Connection, CreateAgainWithOtherLayers) {
    Built_Connection built(30, 20);
    Neuron_Layer lower;
    Neuron_Layer upper;
    lower.Create(2, 3);
    upper.Create(4, 1);
    Set_Random_State(1);
    built.connection.Create(&lower, &upper);
    EXPECT_EQ(built.connection.lower, &lower);
    EXPECT_EQ(built.connection.upper, &upper);
    EXPECT_EQ(built.connection.Lower_Count(), 6);
    EXPECT_EQ(built.connection.Upper_Count(), 4);
    EXPECT_EQ(Random_State(), Random_State_After(1, 24));
    EXPECT_EQ(built.connection.panel[0].picture.bitmap.Width(), 6);
    EXPECT_EQ(built.connection.weights[0][0].weight, ((41 / 32767.0) * 2 - 1) / std::pow(5.0, 0.5));
    built.connection.Destroy();
    EXPECT_FALSE(built.connection.weights);
    EXPECT_EQ(built.connection.lower, nullptr);
    EXPECT_EQ(built.connection.upper, nullptr);
    EXPECT_EQ(built.connection.panel, nullptr);
    lower.Destroy();
    upper.Destroy();
}

// The first weight whose entry in the transpose differs from its cell
// in any bit, as "[l][u]", or "".
std::string First_Column_Difference(const Layer_Connection& connection) {
    for (int32_t l = 0; l < connection.Lower_Count(); ++l)
        for (int32_t u = 0; u < connection.Upper_Count(); ++u)
            if (std::memcmp(&connection.Transposed(u)[l], &connection.weights[l][u].weight, sizeof(double)) != 0) {
                char place[40];
                std::snprintf(place, sizeof place, "[%d][%d]", l, u);
                return place;
            }
    return "";
}

// Every writer of the weights keeps the transpose equal to the cells,
// bit for bit, infinities and NaNs included: the copy made from the cells,
// Set_Weight, each update alone and the learning half.
TEST(Network_Layer_Connection, EveryWriterKeepsTheColumnsEqualToTheCells) {
    Set_Random_State(9);
    Test_Network network = Make_Network({{28, 28}, {9, 7}});
    Layer_Connection& connection = *network.connections[0];
    EXPECT_EQ(First_Column_Difference(connection), "") << "after Create";
    connection.Set_Weight(5, 6, std::numeric_limits<double>::infinity());
    connection.Set_Weight(700, 0, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(First_Column_Difference(connection), "") << "after Set_Weight";
    for (int32_t step = 0; step < 12; ++step) {
        Load_Pattern(*network.layers[0], Stroke_Pattern(28, 28, static_cast<uint32_t>(step)));
        connection.Sample_Up();
        connection.Update_Positive(0.2);
        EXPECT_EQ(First_Column_Difference(connection), "") << "after Update_Positive, step " << step;
        connection.Sample_Down();
        connection.Update_Negative(0.2);
        EXPECT_EQ(First_Column_Difference(connection), "") << "after Update_Negative, step " << step;
        connection.Sample_Up();
        connection.Learn_From_Sample(0.3);
        EXPECT_EQ(First_Column_Difference(connection), "") << "after Learn_From_Sample, step " << step;
    }
}

}  // namespace
