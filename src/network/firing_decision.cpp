#include "network/firing_decision.h"

#include "network/layer_connection.h"
#include "network/random_source.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The table covers sums from -16 to 16 in steps of 1/64. Below -16 the
// probability is under 1.2e-7, less than the smallest fraction but 0 (that
// is 1 / 32767); above 16 it is over 1 - 1.2e-7, more than the largest
// fraction but 1 (32766 / 32767).
constexpr double lowest_sum = Tabled_Lowest_Sum;
constexpr double highest_sum = Tabled_Highest_Sum;
constexpr double points_per_unit = Tabled_Points_Per_Unit;
constexpr int point_count = static_cast<int>((highest_sum - lowest_sum) * points_per_unit) + 1;

// A bracket is widened by this share of its bounds, far more than the
// rounding of the probability (a few units in the last place) or of the
// index of a sum within a hair of a point can move them.
constexpr double widening = 1e-9;

// The probability at each point of the table, as the rule computes it.
class Probability_Table {
public:
    Probability_Table() : at(std::make_unique<double[]>(point_count)) {
        for (int i = 0; i < point_count; ++i) at[i] = Firing_Probability(lowest_sum + i / points_per_unit);
    }
    // The probability of any sum from point i to point i + 1 lies within
    // this bracket.
    double At_Least(int i) const { return at[i] * (1 - widening); }
    double At_Most(int i) const { return at[i + 1] * (1 + widening); }

private:
    std::unique_ptr<double[]> at;
};

const Probability_Table& Table() {
    static const Probability_Table table;
    return table;
}

// The bracket of a sum from lowest_sum up to highest_sum.
inline Probability_Bracket Bracket_Of(double sum) {
    const Probability_Table& table = Table();
    // A sum a hair below the highest point may round up to it.
    const int i = std::min(static_cast<int>((sum - lowest_sum) * points_per_unit), point_count - 2);
    return {table.At_Least(i), table.At_Most(i)};
}

}  // namespace

Probability_Bracket Tabled_Bracket(double sum) { return Bracket_Of(sum); }

Neuron_State Fires(double sum, int draw) {
    const double fraction = Random_Fraction(draw);
    if (sum >= lowest_sum && sum < highest_sum) {
        // Which way the draw goes is as good as random, so it is not
        // branched on; whether it lies outside the bracket is, and it almost
        // always does. (Taking the middle and half the width rounds them by
        // far less than the widening.)
        const auto [least, most] = Bracket_Of(sum);
        const double off_middle = fraction - (least + most) / 2;
        if (std::fabs(off_middle) > (most - least) / 2) return off_middle < 0 ? 1 : 0;
    } else if (sum < lowest_sum) {
        if (draw > 0) return 0;
    } else if (sum >= highest_sum) {
        return draw < Random_Maximum ? 1 : 0;  // a fraction of 1 is never below a probability
    }
    return fraction < Firing_Probability(sum) ? 1 : 0;
}
