// The firing decision without the power function must be the rule's own for
// every draw, above all for sums right at the point where the probability
// equals the draw's fraction; and the bracket it takes in place of the
// power function must hold on the C library the tests run on.
#include "network/firing_decision.h"
#include "network/layer_connection.h"
#include "network/random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool Rule(double sum, int draw) { return Random_Fraction(draw) < Firing_Probability(sum); }

// The program's decision for one neuron.
Neuron_State Fires(double sum, int draw) {
    Neuron_State state;
    Fire_All(&sum, &draw, 1, &state);
    return state;
}

TEST(Network_Fires, AgreesWithTheProbabilityForEveryDraw) {
    const double log_base = std::log(2.71828182);
    const double infinity = std::numeric_limits<double>::infinity();
    for (int draw = 0; draw <= Random_Maximum; ++draw) {
        std::vector<double> sums = {0.0,       -0.0,     1e-300,    -1e-300, 0.5,        -0.5,      50.0,
                                    -100.0,    -709.0,   -709.8,    -710.0,  -745.2,     -1000.0,   1000.0,
                                    infinity,  -infinity, std::numeric_limits<double>::quiet_NaN()};
        if (draw > 0 && draw < Random_Maximum) {
            // Sums about the threshold: a few steps of the last bit either
            // side, and steps from the size of the margin down.
            const double fraction = Random_Fraction(draw);
            const double threshold = std::log(fraction / (1 - fraction)) / log_base;
            double below = threshold;
            double above = threshold;
            for (int step = 0; step < 6; ++step) {
                below = std::nextafter(below, -infinity);
                above = std::nextafter(above, infinity);
                sums.push_back(below);
                sums.push_back(above);
            }
            for (double offset : {1e-12, 1e-9, 1e-6, 1e-5, 3e-5, 1e-4, 2e-4, 1e-3, 0.1}) {
                sums.push_back(threshold - offset * (1 + std::fabs(threshold)));
                sums.push_back(threshold + offset * (1 + std::fabs(threshold)));
            }
        }
        for (double sum : sums) ASSERT_EQ(Fires(sum, draw) == 1, Rule(sum, draw)) << "sum " << sum << ", draw " << draw;
    }
}

// The decision brackets the probability of a sum between those of the
// nearest multiples of 1/64 from -16 to 16. At those points, a hair either
// side of them and half-way between, and at the ends of that range, it must
// still be the rule's own for the draws whose fractions lie nearest the
// probability.
TEST(Network_Fires, AgreesAtAndBetweenTheTabledSums) {
    const double infinity = std::numeric_limits<double>::infinity();
    std::vector<double> sums;
    for (int k = -16 * 64; k <= 16 * 64; ++k) {
        const double point = k / 64.0;
        for (double sum : {point, std::nextafter(point, -infinity), std::nextafter(point, infinity), point + 1 / 128.0})
            sums.push_back(sum);
    }
    for (double sum : sums) {
        const int nearest = static_cast<int>(std::lround(Firing_Probability(sum) * Random_Maximum));
        for (int draw = std::max(0, nearest - 2); draw <= std::min(Random_Maximum, nearest + 2); ++draw)
            ASSERT_EQ(Fires(sum, draw) == 1, Rule(sum, draw)) << "sum " << sum << ", draw " << draw;
    }
    for (double end : {-16.0, 16.0})
        for (double sum : {end, std::nextafter(end, -infinity), std::nextafter(end, infinity)})
            for (int draw = 0; draw <= Random_Maximum; ++draw)
                ASSERT_EQ(Fires(sum, draw) == 1, Rule(sum, draw)) << "sum " << sum << ", draw " << draw;
}

// The bracket trusts the C library's power function (glibc's on Linux,
// mingw's on Windows): the probability must grow with the sum, or fall by
// less than the bracket's margin, and the margin must also cover a sum a
// hair below a point whose index rounds up to that point. So the probability
// of every sum must lie within the bracket the decision takes for it: checked
// at each point, at the run of sums just above it and just below the next
// point, where a fall or an index rounded up would leave the bracket, and at
// sums spread in between.
TEST(Network_Fires, EverySumsProbabilityLiesWithinItsBracket) {
    constexpr int run = 256;
    const double infinity = std::numeric_limits<double>::infinity();
    const int first = static_cast<int>(Tabled_Lowest_Sum * Tabled_Points_Per_Unit);
    const int last = static_cast<int>(Tabled_Highest_Sum * Tabled_Points_Per_Unit);
    int outside = 0;
    std::string first_outside;
    auto check = [&](double sum) {
        const Probability_Bracket bracket = Tabled_Bracket(sum);
        const double probability = Firing_Probability(sum);
        if (probability >= bracket.least && probability <= bracket.most) return;
        if (outside++ == 0) {
            std::ostringstream message;
            message << std::setprecision(17) << "sum " << sum << ": probability " << probability << " outside ["
                    << bracket.least << ", " << bracket.most << "]";
            first_outside = message.str();
        }
    };
    for (int k = first; k < last; ++k) {
        const double point = k / Tabled_Points_Per_Unit;
        const double next = (k + 1) / Tabled_Points_Per_Unit;
        double above = point;
        double below = next;
        check(point);
        for (int step = 0; step < run; ++step) {
            above = std::nextafter(above, infinity);
            below = std::nextafter(below, -infinity);
            check(above);
            check(below);
            check(point + (step + 0.5) / (run * Tabled_Points_Per_Unit));
        }
    }
    EXPECT_EQ(outside, 0) << "first: " << first_outside;
}

}  // namespace
