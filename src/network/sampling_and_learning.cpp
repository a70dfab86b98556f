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
//   lower index. Sample_Down builds all lower sums together from the copy of
//   the weights by column: the columns of the upper neurons that are on,
//   added whole in ascending upper index.
// - The firing probability does not depend on the draw, so all sums are
//   built first and the draws are then taken in ascending target index;
//   where the draw leaves no doubt about the outcome, the probability itself
//   is not computed (Fires).
// - The updates change only cells of pairs that are both on, and each weight
//   at most once, so the rows may be visited in any order.
// - Learn_From_Sample, the worker's learning half of a training step, runs
//   the positive update, Sample_Down and the negative update over the copy
//   by column and the rows that change (learn_from_sample.cpp).
#include "network/layer_connection.h"

#include "network/firing_decision.h"
#include "network/random_source.h"
#include "network/rule_scratch.h"
#include "network/weight_row_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The base of the firing probability: this decimal, not e itself.
constexpr double firing_base = 2.71828182;

}  // namespace

using namespace rules;

double Firing_Probability(double sum) { return 1 / (1 + std::pow(firing_base, -sum)); }

void Layer_Connection::Sample_Up() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    if (upper_count <= 0) return;
    Scratch& scratch = Thread_Scratch();
    Gather_States(*lower, scratch.lower_states);

    // Every row that can change a sum, in ascending lower index.
    std::vector<Row_Term>& terms = scratch.up_terms;
    terms.clear();
    for (int32_t l = 0; l < lower_count; ++l) {
        const Neuron_State state = scratch.lower_states[l];
        const bool may_be_non_finite = row_may_be_non_finite[l];
        if (state == 1 && !may_be_non_finite)
            terms.push_back({weights[l], 1.0, true});
        else if (state != 0 || may_be_non_finite)
            terms.push_back({weights[l], static_cast<double>(state), false});
    }
    scratch.sums.resize(static_cast<size_t>(upper_count));
    Accumulate_Columns(kernel_set, terms.data(), terms.size(), 0, upper_count, scratch.sums.data());
    Fire_Layer(*upper, scratch.sums.data());
}

// With states of 0 and 1, each lower sum is the sum of the weights of the
// upper neurons that are on, in ascending upper index: those columns added
// whole, element by element. Rows that may hold a weight that is not finite,
// and every row when a state is neither 0 nor 1, are summed in full.
void Layer_Connection::Sample_Down() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    if (lower_count <= 0) return;
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_Upper(*upper, scratch);
    const Neuron_State* upper_states = scratch.upper_states.data();
    scratch.sums.resize(static_cast<size_t>(lower_count));
    double* sums = scratch.sums.data();
    if (binary) Sum_Columns(*this, scratch.upper_on, sums);
    for (int32_t l = 0; l < lower_count; ++l)
        if (!binary || row_may_be_non_finite[l]) sums[l] = Full_Row_Sum(weights[l], upper_states, upper_count);
    Fire_Layer(*lower, sums);
}

template <bool Positive>
bool Layer_Connection::Update_Cells(int32_t l, const int32_t* listed, size_t listed_count, double learning_rate) {
    Weight_Cell* row = weights.Writable(l);
    return Positive ? Update_Listed_Positive(row, listed, listed_count, learning_rate)
                    : Update_Listed_Negative(row, listed, listed_count, learning_rate);
}

// The copy by column is updated where it lies, column by column over the
// listed lower neurons, rather than beside each row's cells, where every
// cell's entry would be in another column and on another page.
template <bool Positive>
void Layer_Connection::Update_Column(int32_t u, const int32_t* lower_listed, size_t lower_listed_count,
                                     double learning_rate) {
    double* column = columns + static_cast<size_t>(u) * Lower_Count();
    if (Positive)
        Update_Column_Positive(column, lower_listed, lower_listed_count, learning_rate);
    else
        Update_Column_Negative(column, lower_listed, lower_listed_count, learning_rate);
}

// Each pair's weight changes at most once and depends on nothing but itself,
// so the rows are taken in any order and only the cells of upper neurons
// that are on are visited.
template <bool Positive>
void Layer_Connection::Update_Pairs_On(double learning_rate) {
    const int32_t lower_count = Lower_Count();
    Scratch& scratch = Thread_Scratch();
    Gather_Upper(*upper, scratch);
    if (scratch.upper_on.empty()) return;
    Gather_States(*lower, scratch.lower_states);
    const int32_t* upper_on = scratch.upper_on.data();
    const size_t upper_on_count = scratch.upper_on.size();
    for (int32_t l = 0; l < lower_count; ++l) {
        if (scratch.lower_states[l] == 0) continue;
        if (Update_Cells<Positive>(l, upper_on, upper_on_count, learning_rate)) row_may_be_non_finite[l] = true;
    }
    List_On(scratch.lower_states, scratch.lower_on);
    for (const int32_t u : scratch.upper_on)
        Update_Column<Positive>(u, scratch.lower_on.data(), scratch.lower_on.size(), learning_rate);
    Check_Bookkeeping();
}

void Layer_Connection::Update_Positive(double learning_rate) { Update_Pairs_On<true>(learning_rate); }

void Layer_Connection::Update_Negative(double learning_rate) { Update_Pairs_On<false>(learning_rate); }

// The learning half (learn_from_sample.cpp) takes both updates of cells and columns.
template bool Layer_Connection::Update_Cells<true>(int32_t, const int32_t*, size_t, double);
template bool Layer_Connection::Update_Cells<false>(int32_t, const int32_t*, size_t, double);
template void Layer_Connection::Update_Column<true>(int32_t, const int32_t*, size_t, double);
template void Layer_Connection::Update_Column<false>(int32_t, const int32_t*, size_t, double);
