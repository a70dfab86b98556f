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
//   lower index. Sample_Down builds all lower sums together from the
//   transpose of the weights: the rows of the upper neurons that are on,
//   added whole in ascending upper index.
// - The firing probability does not depend on the draw, so all sums are
//   built first and the draws are then taken in ascending target index;
//   where the draw leaves no doubt about the outcome, the probability itself
//   is not computed (Fire_All).
// - The updates change only cells of pairs that are both on, and each weight
//   at most once, so the rows may be visited in any order.
// - Learn_From_Sample, the worker's learning half of a training step, runs
//   the positive update, Sample_Down and the negative update over the
//   transpose and the rows that change (learn_from_sample.cpp).
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
    owner.Check("Sample_Up");
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    if (upper_count <= 0) return;
    Scratch& scratch = Thread_Scratch();
    Gather_States(*lower, scratch.lower_states);

    // Every row that can change a sum, in ascending lower index: each row
    // is written as a term and counted only if it can (no branch on the
    // states, which the processor cannot foresee).
    std::vector<Row_Term>& terms = scratch.up_terms;
    terms.resize(static_cast<size_t>(lower_count));
    size_t term_count = 0;
    for (int32_t l = 0; l < lower_count; ++l) {
        const Neuron_State state = scratch.lower_states[l];
        const bool may_be_non_finite = row_may_be_non_finite[l];
        terms[term_count] = {weights[l], static_cast<double>(state), state == 1 && !may_be_non_finite};
        term_count += state != 0 || may_be_non_finite;
    }
    terms.resize(term_count);
    scratch.sums.resize(static_cast<size_t>(upper_count));
    Add_Rows(kernel_set, terms.data(), terms.size(), 0, upper_count, scratch.sums.data());
    Fire_Layer(*upper, scratch.sums.data());
}

// With states of 0 and 1, each lower sum is the sum of the weights of the
// upper neurons that are on, in ascending upper index: those rows of the
// transpose added whole, element by element. Rows that may hold a weight that is not finite,
// and every row when a state is neither 0 nor 1, are summed in full.
void Layer_Connection::Sample_Down() {
    owner.Check("Sample_Down");
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    if (lower_count <= 0) return;
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_Upper(*upper, scratch);
    const Neuron_State* upper_states = scratch.upper_states.data();
    scratch.sums.resize(static_cast<size_t>(lower_count));
    double* sums = scratch.sums.data();
    if (binary) Sum_Transposed(*this, scratch.upper_on, sums);
    for (int32_t l = 0; l < lower_count; ++l)
        if (!binary || row_may_be_non_finite[l]) sums[l] = Full_Row_Sum(weights[l], upper_states, upper_count);
    Fire_Layer(*lower, sums);
}

void Layer_Connection::Update_Rows_Of(const std::vector<int32_t>& on_before, const std::vector<int32_t>& on_after,
                                      double learning_rate) {
    if (on_before.empty() && on_after.empty()) return;
    Scratch& scratch = Thread_Scratch();
    const int32_t upper_count = Upper_Count();
    Mask_On(scratch.upper_states.data(), upper_count, scratch.masks);
    std::vector<Weight_Cell*>& rows = scratch.changed_rows;
    std::vector<Weight_Update>& updates = scratch.row_updates;
    std::vector<int32_t>& neurons = scratch.changed_row_neurons;
    rows.clear();
    updates.clear();
    neurons.clear();
    size_t b = 0, a = 0;
    while (b < on_before.size() || a < on_after.size()) {
        const int32_t before = b < on_before.size() ? on_before[b] : INT32_MAX;
        const int32_t after = a < on_after.size() ? on_after[a] : INT32_MAX;
        const int32_t l = std::min(before, after);
        rows.push_back(weights.Writable(l));
        updates.push_back(before == after  ? Weight_Update::both
                          : before < after ? Weight_Update::positive
                                           : Weight_Update::negative);
        neurons.push_back(l);
        b += before == l;
        a += after == l;
    }
    scratch.changed_row_non_finite.resize(rows.size());
    scratch.positions.resize(static_cast<size_t>(upper_count));
    Update_Rows(kernel_set, rows.data(), updates.data(), rows.size(), upper_count, scratch.masks.data(),
                learning_rate, scratch.positions.data(), scratch.changed_row_non_finite.data());
    for (size_t r = 0; r < rows.size(); ++r)
        if (scratch.changed_row_non_finite[r] != 0) row_may_be_non_finite[neurons[r]] = true;
}

// The transpose is updated where it lies, row by row, rather than beside
// each row's cells of the matrix, where every cell's entry would be in
// another row of the transpose and on another page. Its rows go from the
// last one back: in training those summed last are the likeliest still in
// the cache.
void Layer_Connection::Update_Transpose_Of(bool positive, const Neuron_State* lower_states, double learning_rate) {
    Scratch& scratch = Thread_Scratch();
    const int32_t lower_count = Lower_Count();
    Mask_On(lower_states, lower_count, scratch.masks);
    std::vector<double*>& changed = scratch.changed_transposed;
    changed.clear();
    for (size_t k = scratch.upper_on.size(); k-- > 0;)
        changed.push_back(transpose + static_cast<size_t>(scratch.upper_on[k]) * transpose_stride);
    scratch.positions.resize(static_cast<size_t>(lower_count));
    Update_Transposed(kernel_set, positive ? Weight_Update::positive : Weight_Update::negative, changed.data(),
                   changed.size(), lower_count, scratch.masks.data(), learning_rate, scratch.positions.data());
}

// Each pair's weight changes at most once and depends on nothing but itself,
// so the rows of the matrix and of the transpose are taken in any order and
// only the cells and entries of pairs that are both on are changed.
template <bool Positive>
void Layer_Connection::Update_Pairs_On(double learning_rate) {
    Scratch& scratch = Thread_Scratch();
    Gather_Upper(*upper, scratch);
    if (scratch.upper_on.empty()) return;
    Gather_States(*lower, scratch.lower_states);
    List_On(scratch.lower_states, scratch.lower_on);
    const std::vector<int32_t> none;
    Update_Rows_Of(Positive ? scratch.lower_on : none, Positive ? none : scratch.lower_on, learning_rate);
    Update_Transpose_Of(Positive, scratch.lower_states.data(), learning_rate);
    Check_Bookkeeping();
}

void Layer_Connection::Update_Positive(double learning_rate) {
    owner.Check("Update_Positive");
    Update_Pairs_On<true>(learning_rate);
}

void Layer_Connection::Update_Negative(double learning_rate) {
    owner.Check("Update_Negative");
    Update_Pairs_On<false>(learning_rate);
}
