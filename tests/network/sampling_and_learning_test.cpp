// The four rules on small hand-made connections: which draws fire a neuron
// for a given input sum, the values of the updates, and that the updates are
// rounded step by step rather than fused into multiply-adds.
#include "network/layer_connection.h"
#include "network/random_source.h"
#include "support/rule_variants.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

uint64_t Bits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// For every draw from 0 to 32767: the state the pass gives the target
// neuron when that draw is the next one, checking that the pass took exactly
// one draw.
std::vector<int> States_For_Every_Draw(const std::function<void()>& pass, const std::function<int()>& target) {
    std::vector<int> states;
    for (int draw = 0; draw <= Random_Maximum; ++draw) {
        const uint32_t before = Random_State_Before(draw);
        Set_Random_State(before);
        pass();
        EXPECT_EQ(Random_State(), before * 214013u + 2531011u) << "draw " << draw;
        states.push_back(target());
    }
    return states;
}

// The draws that give 1, as the count of them and whether they are exactly
// the draws from 0 up to that count less one.
struct Firing_Draws {
    int count;
    bool lowest_first;
};

Firing_Draws Summarise(const std::vector<int>& states) {
    int count = 0;
    for (int state : states) count += state;
    bool lowest_first = true;
    for (int draw = 0; draw < static_cast<int>(states.size()); ++draw)
        lowest_first &= states[draw] == (draw < count ? 1 : 0);
    return {count, lowest_first};
}

struct Sum_Case {
    const char* name;
    std::vector<int> states;      // of the other layer
    std::vector<double> weights;  // one per neuron of the other layer
    int firing_draws;             // the target fires for draws 0 to this - 1
};

void PrintTo(const Sum_Case& sum_case, std::ostream* out) { *out << sum_case.name; }

class Network_Firing_Rule : public testing::TestWithParam<Sum_Case> {};

TEST_P(Network_Firing_Rule, UpwardsFiresForTheLowestDraws) {
    const Sum_Case& c = GetParam();
    Small_Connection small(static_cast<int32_t>(c.states.size()), 1);
    for (size_t l = 0; l < c.states.size(); ++l) {
        small.lower.columns[0][l] = static_cast<Neuron_State>(c.states[l]);
        small.connection.Set_Weight(static_cast<int32_t>(l), 0, c.weights[l]);
    }
    const auto states = States_For_Every_Draw([&] { small.connection.Sample_Up(); },
                                              [&] { return static_cast<int>(small.upper.columns[0][0]); });
    const Firing_Draws firing = Summarise(states);
    EXPECT_EQ(firing.count, c.firing_draws);
    EXPECT_TRUE(firing.lowest_first);
}

TEST_P(Network_Firing_Rule, DownwardsFiresForTheLowestDraws) {
    const Sum_Case& c = GetParam();
    Small_Connection small(1, static_cast<int32_t>(c.states.size()));
    for (size_t u = 0; u < c.states.size(); ++u) {
        small.upper.columns[0][u] = static_cast<Neuron_State>(c.states[u]);
        small.connection.Set_Weight(0, static_cast<int32_t>(u), c.weights[u]);
    }
    const auto states = States_For_Every_Draw([&] { small.connection.Sample_Down(); },
                                              [&] { return static_cast<int>(small.lower.columns[0][0]); });
    const Firing_Draws firing = Summarise(states);
    EXPECT_EQ(firing.count, c.firing_draws);
    EXPECT_TRUE(firing.lowest_first);
}

INSTANTIATE_TEST_SUITE_P(
    Sums, Network_Firing_Rule,
    testing::Values(
        // s = 0.5, p = 0.62245933...: fires for draws 0 to 20396.
        Sum_Case{"half", {1, 0}, {0.5, -3}, 20397},
        // s = 0, p = 0.5: draws 0 to 16383.
        Sum_Case{"zero", {0, 0, 0}, {0.3, -0.2, 0.9}, 16384},
        // s = -100: p is about 3.7e-44, so only draw 0 fires.
        Sum_Case{"minus_hundred", {1}, {-100}, 1},
        // s = -1000: pow overflows, p is 0 and nothing fires.
        Sum_Case{"minus_thousand", {1, 1}, {-600, -400}, 0},
        // s = 50: p rounds to 1, every draw but 32767 fires.
        Sum_Case{"fifty", {0, 1}, {-7, 50}, 32767},
        // A sum that is not a number never fires: a NaN weight of a neuron on
        // or off, an infinite weight of a neuron off (0 × ∞), or both
        // infinities from neurons on.
        Sum_Case{"nan_weight_on", {1, 1}, {0.2, not_a_number}, 0},
        Sum_Case{"nan_weight_off", {1, 0}, {0.2, not_a_number}, 0},
        Sum_Case{"infinite_weight_off", {1, 0}, {0.2, infinity}, 0},
        Sum_Case{"minus_infinite_weight_off", {0, 1}, {-infinity, 0.2}, 0},
        Sum_Case{"both_infinities_on", {1, 1}, {infinity, -infinity}, 0},
        // An infinite sum: p is exactly 1 or exactly 0.
        Sum_Case{"infinity_on", {1, 0}, {infinity, 1}, 32767},
        Sum_Case{"minus_infinity_on", {1, 0}, {-infinity, 1}, 0}),
    [](const testing::TestParamInfo<Sum_Case>& sum_case) { return std::string(sum_case.param.name); });

TEST(Network_Firing_Probability, UsesTheRoundedBase) {
    EXPECT_NEAR(Firing_Probability(0.5), 0.62245933083, 1e-11);
    EXPECT_EQ(Firing_Probability(0.0), 0.5);
    EXPECT_EQ(Firing_Probability(-0.0), 0.5);
    // The base 2.71828182 is just below e: at s = -30 the difference shows.
    EXPECT_NE(Firing_Probability(-30.0), 1 / (1 + std::exp(30.0)));
    EXPECT_EQ(Firing_Probability(-30.0), 1 / (1 + std::pow(2.71828182, 30.0)));
}

TEST(Network_Sample_Up, AllLowerOffFromAFreshRandomSourceGivesOneZeroOne) {
    Small_Connection small(4, 5);
    for (int32_t l = 0; l < 4; ++l) small.lower.columns[0][l] = 0;
    Set_Random_State(1);  // the first draws are 41, 18467, 6334
    small.connection.Sample_Up();
    EXPECT_EQ(small.upper.columns[0][0], 1);
    EXPECT_EQ(small.upper.columns[0][1], 0);
    EXPECT_EQ(small.upper.columns[0][2], 1);
}

// The k-th draw of a pass goes to the neuron of index k = x × height + y,
// and the weights are found by that index too: only lower neuron (3, 5) of a
// 28 by 28 layer is on, and only the weight of lower neuron 89 lets the upper
// neuron fire.
TEST(Network_Sample_Up, NumbersNeuronsDownEachColumnFirst) {
    Neuron_Layer lower;
    Neuron_Layer upper;
    lower.Create(28, 28);
    upper.Create(2, 3);
    Layer_Connection connection;
    connection.Create(&lower, &upper);
    for (int32_t x = 0; x < 28; ++x)
        for (int32_t y = 0; y < 28; ++y) lower.columns[x][y] = x == 3 && y == 5 ? 1 : 0;
    for (int32_t l = 0; l < 784; ++l)
        for (int32_t u = 0; u < 6; ++u) connection.Set_Weight(l, u, l == 89 && u == 4 ? 1000.0 : -1000.0);
    Set_Random_State(1);
    connection.Sample_Up();
    // Upper neuron 4 is at (1, 1): the fifth draw went to it.
    for (int32_t x = 0; x < 2; ++x)
        for (int32_t y = 0; y < 3; ++y) EXPECT_EQ(upper.columns[x][y], x == 1 && y == 1 ? 1 : 0) << x << "," << y;
    connection.Destroy();
    lower.Destroy();
    upper.Destroy();
}

TEST(Network_Sample_Up, AnEmptyUpperLayerDrawsNothingWhileSampleDownGivesEvenOdds) {
    Small_Connection small(3, 0);
    Set_Random_State(1);
    small.connection.Sample_Up();
    EXPECT_EQ(Random_State(), 1u);
    small.connection.Sample_Down();  // draws 41, 18467, 6334
    EXPECT_EQ(small.lower.columns[0][0], 1);
    EXPECT_EQ(small.lower.columns[0][1], 0);
    EXPECT_EQ(small.lower.columns[0][2], 1);
}

TEST(Network_Sample_Down, ReadsTheSameCellAsSampleUp) {
    Small_Connection small(1, 1);
    small.connection.Set_Weight(0, 0, 50.0);
    Set_Random_State(1);
    small.connection.Sample_Up();
    small.connection.Sample_Down();
    EXPECT_EQ(small.upper.columns[0][0], 1);
    EXPECT_EQ(small.lower.columns[0][0], 1);
    small.connection.Set_Weight(0, 0, -50.0);
    small.connection.Sample_Down();
    EXPECT_EQ(small.lower.columns[0][0], 0);
}

// ------------------------------------------------------------ the updates

// Weights after one update of a connection of one lower neuron and as many
// upper neurons as weights, all on.
std::vector<double> After_Update(const std::vector<double>& weights, bool positive, double rate) {
    Small_Connection small(1, static_cast<int32_t>(weights.size()));
    for (size_t u = 0; u < weights.size(); ++u) small.connection.Set_Weight(0, static_cast<int32_t>(u), weights[u]);
    if (positive)
        small.connection.Update_Positive(rate);
    else
        small.connection.Update_Negative(rate);
    std::vector<double> after;
    for (size_t u = 0; u < weights.size(); ++u) after.push_back(small.connection.weights[0][u].weight);
    return after;
}

TEST(Network_Update_Positive, PullsTowardOne) {
    const auto after = After_Update({0.5, 2.0, 1.0, -0.088}, true, 0.1);
    EXPECT_NEAR(after[0], 0.55545, 1e-15);
    EXPECT_NEAR(after[1], 1.8891, 1e-15);
    EXPECT_EQ(after[2], 1.0);
    EXPECT_NEAR(after[3], -0.088 + 1.088 * 0.1 * 1.109, 1e-15);
}

TEST(Network_Update_Negative, PushesAwayFromOne) {
    const auto after = After_Update({0.5, -0.5, 2.0, 1.0}, false, 0.1);
    EXPECT_NEAR(after[0], 0.45, 1e-15);
    EXPECT_NEAR(after[1], -0.65, 1e-15);
    EXPECT_NEAR(after[2], 2.1, 1e-15);
    EXPECT_EQ(after[3], 1.0);
}

TEST(Network_Updates, ARateOfZeroChangesNothing) {
    // (A weight of -0 would come out as +0: -0 + 0 is +0.)
    const std::vector<double> weights = {0.5, -3.25, 1e10, -0.75, 7.0};
    for (bool positive : {true, false}) {
        const auto after = After_Update(weights, positive, 0.0);
        for (size_t u = 0; u < weights.size(); ++u) EXPECT_EQ(Bits(after[u]), Bits(weights[u])) << u;
    }
}

// Only pairs with both neurons on change, however far outside -1 to +1 the
// weight is.
TEST(Network_Updates, ChangeOnlyPairsWhoseNeuronsAreBothOn) {
    for (bool positive : {true, false}) {
        Neuron_Layer lower;
        Neuron_Layer upper;
        lower.Create(3, 1);
        upper.Create(1, 7);
        Layer_Connection connection;
        connection.Create(&lower, &upper);
        const Neuron_State lower_states[3] = {1, 0, 1};
        const Neuron_State upper_states[7] = {0, 1, 1, 0, 0, 1, 0};
        for (int32_t l = 0; l < 3; ++l) lower.columns[l][0] = lower_states[l];
        for (int32_t u = 0; u < 7; ++u) upper.columns[0][u] = upper_states[u];
        for (int32_t l = 0; l < 3; ++l)
            for (int32_t u = 0; u < 7; ++u) connection.Set_Weight(l, u, 40.0 * (l + 1) - 13.0 * u);
        if (positive)
            connection.Update_Positive(0.3);
        else
            connection.Update_Negative(0.3);
        for (int32_t l = 0; l < 3; ++l)
            for (int32_t u = 0; u < 7; ++u) {
                const double w = 40.0 * (l + 1) - 13.0 * u;
                const bool both_on = lower_states[l] != 0 && upper_states[u] != 0;
                const double expected = !both_on ? w : positive ? w + ((1 - w) * 0.3) * 1.109 : w - (1 - w) * 0.3;
                EXPECT_EQ(Bits(connection.weights[l][u].weight), Bits(expected)) << l << "," << u;
            }
        connection.Destroy();
        lower.Destroy();
        upper.Destroy();
    }
}

// The updates round after each operation. A compiler allowed to contract
// them would compute w + ((1 - w) × a) × 1.109 as one fused multiply-add
// fma((1 - w) × a, 1.109, w), and w - (1 - w) × a as fma(-(1 - w), a, w),
// which round once instead of twice and differ in a few per cent of cases.
// The expected values are rounded step by step through volatile doubles, so
// that nothing in this test can be contracted either.
double Positive_Step_By_Step(double w, double a) {
    volatile double distance = 1 - w;
    volatile double scaled = distance * a;
    volatile double gained = scaled * 1.109;
    volatile double result = w + gained;
    return result;
}

double Negative_Step_By_Step(double w, double a) {
    volatile double distance = 1 - w;
    volatile double scaled = distance * a;
    volatile double result = w - scaled;
    return result;
}

double Positive_Fused(double w, double a) {
    volatile double scaled = (1 - w) * a;
    return std::fma(scaled, 1.109, w);
}

double Negative_Fused(double w, double a) {
    volatile double distance = 1 - w;
    return std::fma(-distance, a, w);
}

// Weights and rates for which the fused form gives another result.
struct Telling_Inputs {
    std::vector<double> weights;
    double rate;
};

Telling_Inputs Find_Telling_Inputs(bool positive, double rate) {
    Telling_Inputs found{{}, rate};
    for (int k = 0; k < 4000 && found.weights.size() < 37; ++k) {
        const double w = -3.0 + k * 0.00173;
        const double rounded = positive ? Positive_Step_By_Step(w, rate) : Negative_Step_By_Step(w, rate);
        const double fused = positive ? Positive_Fused(w, rate) : Negative_Fused(w, rate);
        if (Bits(rounded) != Bits(fused)) found.weights.push_back(w);
    }
    return found;
}

TEST(Network_Updates, RoundEachStepInsteadOfFusing) {
    for (bool positive : {true, false}) {
        for (double rate : {0.1, 0.0371, 0.77}) {
            const Telling_Inputs inputs = Find_Telling_Inputs(positive, rate);
            // The inputs tell the two forms apart, so the check below means something.
            ASSERT_GE(inputs.weights.size(), 10u) << "positive " << positive << ", rate " << rate;
            const auto after = After_Update(inputs.weights, positive, rate);
            for (size_t u = 0; u < inputs.weights.size(); ++u) {
                const double w = inputs.weights[u];
                const double rounded = positive ? Positive_Step_By_Step(w, rate) : Negative_Step_By_Step(w, rate);
                EXPECT_EQ(Bits(after[u]), Bits(rounded)) << "w = " << w << ", positive " << positive;
            }
        }
    }
}

// Rows that come to hold a weight that is not finite through an update are
// treated as such by the next sampling pass: an off neuron's infinite weight
// then makes the sum NaN.
TEST(Network_Updates, KeepTrackOfWeightsTheyMakeInfinite) {
    Small_Connection small(2, 1);
    small.connection.Set_Weight(0, 0, -1e308);
    small.connection.Set_Weight(1, 0, 0.0);
    small.lower.columns[0][0] = 1;
    small.lower.columns[0][1] = 0;
    small.upper.columns[0][0] = 1;
    small.connection.Update_Negative(10.0);  // -1e308 - (1 + 1e308) × 10 overflows
    ASSERT_EQ(small.connection.weights[0][0].weight, -infinity);
    small.lower.columns[0][0] = 0;
    small.lower.columns[0][1] = 1;
    // The sum is 0 × -∞ + 1 × 0 = NaN: the upper neuron stays off even for draw 0.
    Set_Random_State(Random_State_Before(0));
    small.connection.Sample_Up();
    EXPECT_EQ(small.upper.columns[0][0], 0);
}

}  // namespace

namespace {

// Terms whose sum depends on the order of adding: in ascending order they
// add up to 1; swapping any two neighbours after the first gives 5, 2 or 0,
// and adding them from the last back gives 3.
const std::vector<double> order_telling_terms = {1.0, 1e16, 2.0, -1.0, 2.0, -1.0, 1.0, -1e16, 1.0};

double Sum_In_Order(const std::vector<double>& terms) {
    double sum = 0;
    for (double term : terms) sum += term;
    return sum;
}

// The sums of the terms in other orders: each pair of neighbours swapped,
// each term but the last moved to the end, and all of them backwards.
std::vector<double> Sums_In_Other_Orders(const std::vector<double>& terms) {
    std::vector<double> sums;
    for (size_t k = 1; k + 1 < terms.size(); ++k) {
        std::vector<double> swapped = terms;
        std::swap(swapped[k], swapped[k + 1]);
        sums.push_back(Sum_In_Order(swapped));
    }
    for (size_t k = 0; k + 1 < terms.size(); ++k) {
        std::vector<double> moved = terms;
        std::rotate(moved.begin() + static_cast<std::ptrdiff_t>(k), moved.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                    moved.end());
        sums.push_back(Sum_In_Order(moved));
    }
    sums.push_back(Sum_In_Order(std::vector<double>(terms.rbegin(), terms.rend())));
    return sums;
}

// The states n draws from the given random state give for a sum.
std::vector<int> Expected_States(uint32_t state, int n, double sum) {
    std::vector<int> states;
    for (int k = 0; k < n; ++k) {
        state = state * 214013u + 2531011u;
        const int draw = static_cast<int>((state >> 16) & 0x7FFF);
        states.push_back(Random_Fraction(draw) < Firing_Probability(sum) ? 1 : 0);
    }
    return states;
}

// A random state whose next n draws give other states for the sum in order
// than for the sum in any of the other orders.
uint32_t Telling_Random_State(int n) {
    const double in_order = Sum_In_Order(order_telling_terms);
    for (uint32_t state = 1;; ++state) {
        bool telling = true;
        for (double other : Sums_In_Other_Orders(order_telling_terms))
            telling &= other != in_order && Expected_States(state, n, other) != Expected_States(state, n, in_order);
        if (telling) return state;
    }
}

class Network_Sum_Order : public On_Each_Rule_Variant {};

// Every upper neuron of a row of 13 (blocks of four and a tail) sums the
// nine on lower neurons' weights in ascending lower index; an off neuron
// among them adds nothing. Rows 2 and 4 hold an infinite weight for a
// fourteenth upper neuron, which makes them rows that may not be finite:
// their terms still come in their place, not after the others.
TEST_P(Network_Sum_Order, SampleUpAddsInAscendingLowerIndex) {
    const int32_t off = 4;  // lower neuron 4 is off, with a weight that would change the sum
    Small_Connection small(10, 14, Variant());
    for (int32_t l = 0; l < 10; ++l) {
        small.lower.columns[0][l] = l == off ? 0 : 1;
        const double weight = l < off ? order_telling_terms[l] : l == off ? 1e16 : order_telling_terms[l - 1];
        for (int32_t u = 0; u < 13; ++u) small.connection.Set_Weight(l, u, weight);
        small.connection.Set_Weight(l, 13, l == 2 || l == off ? infinity : 0.5);
    }
    const uint32_t start = Telling_Random_State(13);
    Set_Random_State(start);
    small.connection.Sample_Up();
    std::vector<int> states;
    for (int32_t u = 0; u < 14; ++u) states.push_back(small.upper.columns[0][u]);
    std::vector<int> expected = Expected_States(start, 13, Sum_In_Order(order_telling_terms));
    expected.push_back(0);  // ∞ + 0 × ∞ is not a number
    EXPECT_EQ(states, expected);
}

// An 11 by 10 connection whose upper neurons are all on but number 6, with a
// weight that would change any sum it entered; every lower neuron's weights
// of the others are the order-telling terms in ascending upper index.
void Set_Order_Telling_Columns(Small_Connection& small) {
    const int32_t off = 6;
    for (int32_t u = 0; u < 10; ++u) {
        small.upper.columns[0][u] = u == off ? 0 : 1;
        const double weight = u < off ? order_telling_terms[u] : u == off ? -1e16 : order_telling_terms[u - 1];
        for (int32_t l = 0; l < 11; ++l) small.connection.Set_Weight(l, u, weight);
    }
}

// Every lower neuron of a column of 11 (a block of eight and three alone)
// sums the nine on upper neurons' weights in ascending upper index.
TEST_P(Network_Sum_Order, SampleDownAddsInAscendingUpperIndex) {
    Small_Connection small(11, 10, Variant());
    Set_Order_Telling_Columns(small);
    const uint32_t start = Telling_Random_State(11);
    Set_Random_State(start);
    small.connection.Sample_Down();
    std::vector<int> states;
    for (int32_t l = 0; l < 11; ++l) states.push_back(small.lower.columns[0][l]);
    EXPECT_EQ(states, Expected_States(start, 11, Sum_In_Order(order_telling_terms)));
}

// Learn_From_Sample sums the same way, over the weights as the positive
// update leaves them (unchanged at a rate of 0), for lower neurons on and
// off, and the k-th draw still goes to lower neuron k.
TEST_P(Network_Sum_Order, LearnFromSampleAddsInAscendingUpperIndex) {
    Small_Connection small(11, 10, Variant());
    Set_Order_Telling_Columns(small);
    for (int32_t l = 0; l < 11; ++l) small.lower.columns[0][l] = l % 3 == 0 ? 1 : 0;
    const uint32_t start = Telling_Random_State(11);
    Set_Random_State(start);
    small.connection.Learn_From_Sample(0.0);
    std::vector<int> states;
    for (int32_t l = 0; l < 11; ++l) states.push_back(small.lower.columns[0][l]);
    EXPECT_EQ(states, Expected_States(start, 11, Sum_In_Order(order_telling_terms)));
}

INSTANTIATE_TEST_SUITE_P(Variants, Network_Sum_Order, testing::ValuesIn(Rule_Variants()), Variant_Test_Name);

}  // namespace
