// The four rules of the model: sampling a layer from the other layer of a
// connection, and the positive and negative learning updates.
//
// The rules are defined as plain loops: for each target neuron in ascending
// index, the sum of state × weight over every neuron of the other layer in
// ascending index, then the firing rule with one draw. This code gives the
// same states, draws and weights bit for bit, but does less work:
//
// - A neuron that is off adds 0 × w, which is ±0 when w is finite and leaves
//   the sum as it was (at most the sign of a zero sum changes, and pow gives
//   1 for either zero). Such neurons are skipped, except on rows of the
//   matrix that may hold a weight that is infinite or not a number, where
//   0 × w is NaN; row_may_be_non_finite says which rows those are.
// - Sample_Up builds all upper sums together, row by row, so the matrix is
//   read in memory order; each sum still receives its terms in ascending
//   lower index. Sample_Down works on several lower sums at once, each over
//   the upper neurons that are on, in ascending order.
// - The firing probability does not depend on the draw, so all sums are
//   built first and the draws are then taken in ascending target index;
//   where the draw leaves no doubt about the outcome, the probability itself
//   is not computed (Fires).
// - The updates change only cells of pairs that are both on, and each weight
//   at most once, so the rows may be visited in any order.
#include "network/layer_connection.h"

#include "network/firing_decision.h"
#include "network/random_source.h"
#include "network/weight_row_kernels.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The base of the firing probability: this decimal, not e itself.
constexpr double firing_base = 2.71828182;

// Working storage of the rules, kept between calls so that training does not
// allocate on every step. The rules run on the training thread only.
struct Scratch {
    std::vector<Neuron_State> states;
    std::vector<Neuron_State> lower_states;
    std::vector<double> sums;
    std::vector<int32_t> listed;
    std::vector<Row_Term> terms;
    std::vector<const Weight_Cell*> rows;
    std::vector<int32_t> row_indices;
    std::vector<double> row_sums;
    Update_Mask mask;
};

Scratch& Thread_Scratch() {
    thread_local Scratch scratch;
    return scratch;
}

// The layer's states in neuron index order. True if each is 0 or 1, the
// only values the program stores; any other value enters the sums as the
// signed number it is, which the plain paths below handle.
bool Gather_States(const Neuron_Layer& layer, std::vector<Neuron_State>& states) {
    states.resize(static_cast<size_t>(layer.Neuron_Count()));
    Neuron_State* out = states.data();
    uint8_t unusual = 0;
    for (int32_t x = 0; x < layer.width; ++x) {
        const Neuron_State* column = layer.columns[x].get();
        // An empty vector may give a null pointer, which memcpy must not see even for no bytes.
        if (layer.height > 0) std::memcpy(out, column, static_cast<size_t>(layer.height));
        for (int32_t y = 0; y < layer.height; ++y) unusual |= static_cast<uint8_t>(column[y]) & 0xFE;
        out += layer.height;
    }
    return unusual == 0;
}

// Fires every neuron of the layer from its sum, in ascending neuron index,
// so the k-th draw goes to neuron k.
void Fire_Layer(Neuron_Layer& layer, const double* sums) {
    for (int32_t x = 0; x < layer.width; ++x) {
        Neuron_State* column = layer.columns[x].get();
        for (int32_t y = 0; y < layer.height; ++y) column[y] = Fires(*sums++, Draw_Random());
    }
}

// The full sum of one row against the upper states, every product added.
double Full_Row_Sum(const Weight_Cell* row, const Neuron_State* upper_states, int32_t upper_count) {
    double sum = 0;
    for (int32_t u = 0; u < upper_count; ++u) sum += upper_states[u] * row[u].weight;
    return sum;
}

}  // namespace

double Firing_Probability(double sum) { return 1 / (1 + std::pow(firing_base, -sum)); }

void Layer_Connection::Sample_Up() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    if (upper_count <= 0) return;
    Scratch& scratch = Thread_Scratch();
    Gather_States(*lower, scratch.states);

    // Every row that can change a sum, in ascending lower index.
    scratch.terms.clear();
    for (int32_t l = 0; l < lower_count; ++l) {
        const Neuron_State state = scratch.states[l];
        const bool may_be_non_finite = row_may_be_non_finite[l];
        if (state == 1 && !may_be_non_finite)
            scratch.terms.push_back({weights[l].get(), 1.0, true});
        else if (state != 0 || may_be_non_finite)
            scratch.terms.push_back({weights[l].get(), static_cast<double>(state), false});
    }
    scratch.sums.resize(static_cast<size_t>(upper_count));
    Accumulate_Columns(scratch.terms.data(), scratch.terms.size(), upper_count, scratch.sums.data());
    Fire_Layer(*upper, scratch.sums.data());
}

void Layer_Connection::Sample_Down() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    if (lower_count <= 0) return;
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_States(*upper, scratch.states);
    const Neuron_State* upper_states = scratch.states.data();
    scratch.sums.resize(static_cast<size_t>(lower_count));
    double* sums = scratch.sums.data();

    // The upper neurons that are on, in ascending index: with states of 0 and
    // 1 they are the only ones that add anything to a row with finite weights.
    scratch.listed.clear();
    for (int32_t u = 0; u < upper_count; ++u)
        if (upper_states[u] != 0) scratch.listed.push_back(u);

    // The rows of lower neurons that are on come first: in training they have
    // just been read by Sample_Up and Update_Positive and are still in the
    // cache. The order of the rows changes nothing but the memory traffic.
    std::vector<Neuron_State>& lower_states = scratch.lower_states;
    Gather_States(*lower, lower_states);
    scratch.rows.clear();
    scratch.row_indices.clear();
    for (int pass = 0; pass < 2; ++pass) {
        const bool on = pass == 0;
        for (int32_t l = 0; l < lower_count; ++l) {
            if ((lower_states[l] != 0) != on) continue;
            if (binary && !row_may_be_non_finite[l]) {
                scratch.rows.push_back(weights[l].get());
                scratch.row_indices.push_back(l);
            } else {
                sums[l] = Full_Row_Sum(weights[l].get(), upper_states, upper_count);
            }
        }
    }
    scratch.row_sums.resize(scratch.rows.size());
    Sum_Listed_Weights(scratch.rows.data(), scratch.rows.size(), scratch.listed.data(), scratch.listed.size(),
                       scratch.row_sums.data());
    for (size_t i = 0; i < scratch.rows.size(); ++i) sums[scratch.row_indices[i]] = scratch.row_sums[i];

    Fire_Layer(*lower, sums);
}

void Layer_Connection::Update_Positive(double learning_rate) {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    Scratch& scratch = Thread_Scratch();
    Gather_States(*upper, scratch.states);
    if (!scratch.mask.Build(scratch.states.data(), upper_count)) return;
    Gather_States(*lower, scratch.states);
    for (int32_t l = 0; l < lower_count; ++l) {
        if (scratch.states[l] == 0) continue;
        if (Update_Row_Positive(weights[l].get(), scratch.mask, upper_count, learning_rate))
            row_may_be_non_finite[l] = true;
    }
}

void Layer_Connection::Update_Negative(double learning_rate) {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    Scratch& scratch = Thread_Scratch();
    Gather_States(*upper, scratch.states);
    if (!scratch.mask.Build(scratch.states.data(), upper_count)) return;
    Gather_States(*lower, scratch.states);
    // From the last row down: those Sample_Down read last are the ones still
    // in the cache.
    for (int32_t l = lower_count - 1; l >= 0; --l) {
        if (scratch.states[l] == 0) continue;
        if (Update_Row_Negative(weights[l].get(), scratch.mask, upper_count, learning_rate))
            row_may_be_non_finite[l] = true;
    }
}
