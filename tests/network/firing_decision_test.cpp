// The firing decision without the power function must be the rule's own for
// every draw, above all for sums right at the point where the probability
// equals the draw's fraction.
#include "network/firing_decision.h"
#include "network/layer_connection.h"
#include "network/random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

bool Rule(double sum, int draw) { return Random_Fraction(draw) < Firing_Probability(sum); }

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

}  // namespace
