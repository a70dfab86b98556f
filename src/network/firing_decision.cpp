#include "network/firing_decision.h"

#include "network/layer_connection.h"
#include "network/random_source.h"

#include <cmath>
#include <memory>

namespace {

// For each draw r from 1 to 32766, the sum t at which the firing
// probability is r / 32767: t = ln(f / (1 - f)) / ln(2.71828182). Single
// precision is ample, as the margin below is far wider than its rounding.
class Firing_Thresholds {
public:
    Firing_Thresholds() : sums(std::make_unique<float[]>(Random_Maximum + 1)) {
        const double log_base = std::log(2.71828182);
        for (int draw = 1; draw < Random_Maximum; ++draw) {
            const double fraction = Random_Fraction(draw);
            sums[draw] = static_cast<float>(std::log(fraction / (1 - fraction)) / log_base);
        }
    }
    float operator[](int draw) const { return sums[draw]; }

private:
    std::unique_ptr<float[]> sums;
};

const Firing_Thresholds& Thresholds() {
    static const Firing_Thresholds thresholds;
    return thresholds;
}

}  // namespace

Neuron_State Fires(double sum, int draw) {
    if (draw == Random_Maximum) return 0;  // a fraction of 1 is never below a probability
    if (draw > 0) {
        // A sum this far from the threshold moves the probability by a
        // relative 3e-10 at the least (at the draw 32766), many orders beyond
        // the rounding of pow and of the division.
        const double threshold = Thresholds()[draw];
        const double margin = 1e-5 * (1 + std::fabs(threshold));
        if (sum < threshold - margin) return 0;
        if (sum > threshold + margin) return 1;
    }
    return Random_Fraction(draw) < Firing_Probability(sum) ? 1 : 0;
}
