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
// Sample_Up has just read whole) and of the transpose's rows of upper
// neurons that are on, each added to the lower sums right after its update
// while it is in the cache; the decisions, with Sample_Down's draws all
// taken first in ascending index; then the negative update of the rows of
// lower neurons that came out on, and of the same rows of the transpose.
void Layer_Connection::Learn_From_Sample(double learning_rate) {
    owner.Check("Learn_From_Sample");
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
    // update is summed over the upper neurons that are on even if
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
    // and written once. Otherwise the rows are updated now.
    const std::vector<int32_t> none;
    const bool cells_at_the_end = full_sum_rows.empty();
    if (!cells_at_the_end) Update_Rows_Of(lower_on, none, learning_rate);

    scratch.sums.assign(static_cast<size_t>(lower_count), 0.0);
    double* sums = scratch.sums.data();
    if (binary) {
        // Each row of the transpose is updated where the lower neuron is on
        // and added to the sums in the same pass, while it is in the cache.
        Mask_On(lower_states, lower_count, scratch.masks);
        std::vector<double*>& changed = scratch.changed_transposed;
        changed.clear();
        for (size_t k = 0; k < upper_on_count; ++k)
            changed.push_back(transpose + static_cast<size_t>(upper_on[k]) * transpose_stride);
        Update_Positive_And_Add_Transposed(kernel_set, changed.data(), changed.size(), lower_count, scratch.masks.data(),
                                        learning_rate, sums);
    } else {
        Update_Transpose_Of(true, lower_states, learning_rate);
    }
    for (const int32_t l : full_sum_rows) sums[l] = Full_Row_Sum(weights[l], upper_states, upper_count);

    std::vector<int32_t>& on_after = scratch.lower_on_after;
    Fire_All(sums, draws, static_cast<size_t>(lower_count), lower_states);
    List_On(scratch.lower_states, on_after);
    Update_Transpose_Of(false, lower_states, learning_rate);
    Update_Rows_Of(cells_at_the_end ? lower_on : none, on_after, learning_rate);
    Scatter_States(*lower, lower_states);
    Check_Bookkeeping();
}
