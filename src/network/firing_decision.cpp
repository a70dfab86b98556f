#include "network/firing_decision.h"

#include "network/layer_connection.h"
#include "network/random_source.h"

#include <algorithm>
#include <cmath>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The draws that settle the decision for a sum within a stretch of sums:
// every draw below fires_below has a fraction below the least probability
// of the stretch, so the neuron fires; every draw from rests_from up has a
// fraction above its greatest, so it does not. Only the draws between need
// the probability itself.
struct Settled_Draws {
    int32_t fires_below;
    int32_t rests_from;
};

// The first draw whose fraction is not below the probability, and the first
// whose fraction is above it (Random_Maximum + 1 if none is). The fractions
// grow with the draw; the search starts a little below the estimate.
int32_t First_Draw_Not_Below(double probability) {
    int32_t draw = std::clamp(static_cast<int32_t>(probability * Random_Maximum) - 2, 0, Random_Maximum + 1);
    while (draw <= Random_Maximum && Random_Fraction(draw) < probability) ++draw;
    return draw;
}

int32_t First_Draw_Above(double probability) {
    int32_t draw = std::clamp(static_cast<int32_t>(probability * Random_Maximum) - 2, 0, Random_Maximum + 1);
    while (draw <= Random_Maximum && !(Random_Fraction(draw) > probability)) ++draw;
    return draw;
}

// The stretches of sums the decision tells apart, each with the draws it
// settles: stretch 0 holds the sums below the lowest point (and any that is
// not a number), where only draw 0 may fire and needs the probability;
// stretch i + 1 the sums from point i up to point i + 1; the last stretch
// the sums from the highest point up, where every draw fires but the
// largest, whose fraction of 1 is never below a probability. (A sum a hair
// below the highest point whose index rounds up to it lands there too: its
// probability is over 32766 / 32767 all the same.)
constexpr int stretch_count = point_count + 1;

// The probability at each point of the table, as the rule computes it, and
// the draws each stretch settles.
class Probability_Table {
public:
    Probability_Table()
        : at(std::make_unique<double[]>(point_count)), settled(std::make_unique<Settled_Draws[]>(stretch_count)) {
        for (int i = 0; i < point_count; ++i) at[i] = Firing_Probability(lowest_sum + i / points_per_unit);
        settled[0] = {0, 1};
        for (int i = 0; i + 1 < point_count; ++i)
            settled[i + 1] = {First_Draw_Not_Below(At_Least(i)), First_Draw_Above(At_Most(i))};
        settled[stretch_count - 1] = {Random_Maximum, Random_Maximum};
    }
    // The probability of any sum from point i to point i + 1 lies within
    // this bracket.
    double At_Least(int i) const { return at[i] * (1 - widening); }
    double At_Most(int i) const { return at[i + 1] * (1 + widening); }
    const Settled_Draws& Settled(int stretch) const { return settled[stretch]; }

private:
    std::unique_ptr<double[]> at;
    std::unique_ptr<Settled_Draws[]> settled;
};

const Probability_Table& Table() {
    static const Probability_Table table;
    return table;
}

// The stretch of a sum, without a branch: the offset from one point below
// the lowest, in points, held between 0 and the last stretch (a sum that is
// not a number comes out 0), is converted only once it fits an integer.
inline int Stretch_Of(double sum) {
    const double offset = (sum - lowest_sum) * points_per_unit + 1;
    constexpr double last = stretch_count - 1;
#if defined(__SSE2__)
    // The processor's own maximum and minimum: each gives its second operand
    // when the first is not a number.
    const __m128d at_least_0 = _mm_max_sd(_mm_set_sd(offset), _mm_setzero_pd());
    return _mm_cvttsd_si32(_mm_min_sd(at_least_0, _mm_set_sd(last)));
#else
    const double at_least_0 = offset > 0 ? offset : 0;
    return static_cast<int>(at_least_0 < last ? at_least_0 : last);
#endif
}

// The decision with the table at hand.
inline Neuron_State Decide(const Probability_Table& table, double sum, int draw) {
    // Whether the draw fires is as good as random, so it is not branched on;
    // whether the draw is settled is, and it almost always is: one unsigned
    // comparison tells whether the draw lies from fires_below up to
    // rests_from, unsettled.
    const Settled_Draws& settled = table.Settled(Stretch_Of(sum));
    const bool unsettled = static_cast<uint32_t>(draw - settled.fires_below) <
                           static_cast<uint32_t>(settled.rests_from - settled.fires_below);
    if (unsettled) return Random_Fraction(draw) < Firing_Probability(sum) ? 1 : 0;
    return draw < settled.fires_below ? 1 : 0;
}

}  // namespace

Probability_Bracket Tabled_Bracket(double sum) {
    const Probability_Table& table = Table();
    // A sum a hair below the highest point may round up to it.
    const int i = std::min(static_cast<int>((sum - lowest_sum) * points_per_unit), point_count - 2);
    return {table.At_Least(i), table.At_Most(i)};
}

void Fire_All(const double* sums, const int* draws, size_t count, Neuron_State* states) {
    const Probability_Table& table = Table();
    for (size_t k = 0; k < count; ++k) states[k] = Decide(table, sums[k], draws[k]);
}
