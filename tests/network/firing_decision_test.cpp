// The firing decision without the power function must be the rule's own for
// every draw, above all for sums right at the point where the probability
// equals the draw's fraction.
#include "network/firing_decision.h"
#include "network/layer_connection.h"
#include "network/random_source.h"

#include <gtest/gtest.h>

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

}  // namespace
