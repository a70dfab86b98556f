// The worker's learning half of a training step: Update_Positive,
// Sample_Down and Update_Negative of one connection with one rate, giving the
// same weights, states and draws as the three in a row, in one pass over the
// weights that change.
#include "network/layer_connection.h"

#include "network/firing_decision.h"
#include "network/random_source.h"
#include "network/rule_scratch.h"
#include "network/weight_row_kernels.h"

#include <algorithm>
#include <vector>

using namespace rules;

// The three rules are taken one after the other, each over few cache lines:
// the positive update of the rows of lower neurons that are on (which
// Sample_Up has just read whole) and of the columns of upper neurons that are
// on, each column added to the lower sums right after its update while it is
// in the cache; the decisions, with Sample_Down's draws all taken first in
// ascending index; then the negative update of the rows of lower neurons
// that came out on, and of the same columns.
void Layer_Connection::Learn_From_Sample(double learning_rate) {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    if (lower_count <= 0) return;
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_Upper(*upper, scratch);
    const Neuron_State* upper_states = scratch.upper_states.data();
    const int32_t* upper_on = scratch.upper_on.data();
    const size_t upper_on_count = scratch.upper_on.size();
    Gather_States(*lower, scratch.lower_states);
    Neuron_State* lower_states = scratch.lower_states.data();
    const std::vector<int32_t>& lower_on = scratch.lower_on;
    List_On(scratch.lower_states, scratch.lower_on);
    Take_Draws(scratch.draws, lower_count);
    const int* draws = scratch.draws.data();

    // The rows summed in full: those that may hold a weight that is not
    // finite before the positive update, and all of them when a state is
    // neither 0 nor 1. A row whose weights were all finite before that
    // update is summed over the columns of the neurons that are on even if
    // the update makes one of its weights infinite or NaN: the update
    // changes no other weight, so the products of the neurons that are off
    // are still ±0 and still change nothing.
    std::vector<int32_t>& full_sum_rows = scratch.full_sum_rows;
    full_sum_rows.clear();
    for (int32_t l = 0; l < lower_count; ++l)
        if (!binary || row_may_be_non_finite[l]) full_sum_rows.push_back(l);

    // Nothing reads a row's cells between the two updates unless the row is
    // summed in full, so then the positive update of the cells waits for the
    // negative one and a row of a lower neuron on before and after is read
    // and written once. Otherwise the rows are updated now, from the last
    // down: Sample_Up has just read them in ascending order, so the last
    // ones are the likeliest still in the cache.
    const bool cells_at_the_end = full_sum_rows.empty();
    if (!cells_at_the_end) {
        for (size_t k = lower_on.size(); k-- > 0;) {
            const int32_t l = lower_on[k];
            if (Update_Cells<true>(l, upper_on, upper_on_count, learning_rate)) row_may_be_non_finite[l] = true;
        }
    }

    scratch.sums.assign(static_cast<size_t>(lower_count), 0.0);
    double* sums = scratch.sums.data();
    constexpr size_t group = 4;
    for (size_t start = 0; start < upper_on_count; start += group) {
        const size_t count = std::min(group, upper_on_count - start);
        const double* group_columns[group];
        for (size_t k = 0; k < count; ++k) {
            Update_Column<true>(upper_on[start + k], lower_on.data(), lower_on.size(), learning_rate);
            group_columns[k] = Column(upper_on[start + k]);
        }
        if (binary) Add_Columns(kernel_set, group_columns, count, lower_count, sums);
    }
    for (const int32_t l : full_sum_rows) sums[l] = Full_Row_Sum(weights[l], upper_states, upper_count);

    std::vector<int32_t>& on_after = scratch.lower_on_after;
    on_after.clear();
    for (int32_t l = 0; l < lower_count; ++l) {
        lower_states[l] = Fires(sums[l], draws[l]);
        if (lower_states[l] != 0) on_after.push_back(l);
    }
    // The columns from the last one back, while those summed last are still
    // in the cache, then the rows.
    for (size_t k = upper_on_count; k-- > 0;)
        Update_Column<false>(upper_on[k], on_after.data(), on_after.size(), learning_rate);
    if (cells_at_the_end)
        Update_Cells_Of_Both(lower_on, on_after, upper_on, upper_on_count, learning_rate);
    else
        for (const int32_t l : on_after)
            if (Update_Cells<false>(l, upper_on, upper_on_count, learning_rate)) row_may_be_non_finite[l] = true;
    Scatter_States(*lower, lower_states);
    Check_Bookkeeping();
}

// The positive update of the rows of the lower neurons on before and the
// negative update of those on after, both lists ascending, each row visited
// once.
void Layer_Connection::Update_Cells_Of_Both(const std::vector<int32_t>& on_before, const std::vector<int32_t>& on_after,
                                            const int32_t* upper_on, size_t upper_on_count, double learning_rate) {
    size_t b = 0, a = 0;
    while (b < on_before.size() || a < on_after.size()) {
        const int32_t before = b < on_before.size() ? on_before[b] : INT32_MAX;
        const int32_t after = a < on_after.size() ? on_after[a] : INT32_MAX;
        const int32_t l = std::min(before, after);
        Weight_Cell* row = weights.Writable(l);
        bool non_finite;
        if (before == after)
            non_finite = Update_Listed_Both(row, upper_on, upper_on_count, learning_rate);
        else if (before < after)
            non_finite = Update_Listed_Positive(row, upper_on, upper_on_count, learning_rate);
        else
            non_finite = Update_Listed_Negative(row, upper_on, upper_on_count, learning_rate);
        if (non_finite) row_may_be_non_finite[l] = true;
        b += before == l;
        a += after == l;
    }
}
