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
//   lower index. Sample_Down, where the connection keeps a copy of the
//   weights by column, builds all lower sums together from the columns of
//   the upper neurons that are on, in ascending order; with the rows alone
//   it works on several lower sums at once over the scattered cells of
//   those neurons.
// - The firing probability does not depend on the draw, so all sums are
//   built first and the draws are then taken in ascending target index;
//   where the draw leaves no doubt about the outcome, the probability itself
//   is not computed (Fires).
// - The updates change only cells of pairs that are both on, and each weight
//   at most once, so the rows may be visited in any order.
// - Learn_From_Sample, the worker's learning half of a training step, runs
//   the positive update, Sample_Down and the negative update over the copy
//   by column and the rows that change (Learn_By_Columns); with the rows
//   alone it takes each row through all three in one visit (Learn_By_Rows).
#include "network/layer_connection.h"

#include "network/firing_decision.h"
#include "network/random_source.h"
#include "network/weight_row_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The base of the firing probability: this decimal, not e itself.
constexpr double firing_base = 2.71828182;

// Working storage of the rules, kept between calls so that training does not
// allocate on every step. The rules run on the training thread only.
struct Scratch {
    // Each layer's states in neuron index order.
    std::vector<Neuron_State> upper_states;
    std::vector<Neuron_State> lower_states;
    // The upper neurons that are on, in ascending index, and the lower ones
    // that are on before Sample_Down.
    std::vector<int32_t> upper_on;
    std::vector<int32_t> lower_on;
    // The input sums of the layer being sampled, by neuron index.
    std::vector<double> sums;
    // Sample_Up: the rows that can change an upper sum, in ascending index.
    std::vector<Row_Term> up_terms;
    // Sample_Down: the rows summed over the upper neurons that are on, their
    // lower neurons and their sums.
    std::vector<const Weight_Cell*> listed_rows;
    std::vector<int32_t> listed_row_neurons;
    std::vector<double> listed_row_sums;
    // Sample_Down and Learn_From_Sample with a copy by column: the columns
    // of the upper neurons that are on.
    std::vector<const double*> summed_columns;
    // Learn_From_Sample: the lower neurons in the order their rows are
    // visited, those whose rows are summed in full, and those on after
    // Sample_Down.
    std::vector<int32_t> visit_order;
    std::vector<int32_t> full_sum_rows;
    std::vector<int32_t> lower_on_after;
    // The draws of a pass taken before its decisions, by target neuron.
    std::vector<int> draws;
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

// The next count draws of this thread, in order, into draws.
void Take_Draws(std::vector<int>& draws, int32_t count) {
    draws.resize(static_cast<size_t>(count));
    for (int& draw : draws) draw = Draw_Random();
}

// Writes the states, in neuron index order, back into the layer's columns.
void Scatter_States(Neuron_Layer& layer, const Neuron_State* states) {
    for (int32_t x = 0; x < layer.width; ++x) {
        if (layer.height > 0) std::memcpy(layer.columns[x].get(), states, static_cast<size_t>(layer.height));
        states += layer.height;
    }
}

// The full sum of one row against the upper states, every product added.
double Full_Row_Sum(const Weight_Cell* row, const Neuron_State* upper_states, int32_t upper_count) {
    double sum = 0;
    for (int32_t u = 0; u < upper_count; ++u) sum += upper_states[u] * row[u].weight;
    return sum;
}

// The indices of the neurons whose state is not 0, in ascending order.
void List_On(const std::vector<Neuron_State>& states, std::vector<int32_t>& on) {
    on.clear();
    for (size_t n = 0; n < states.size(); ++n)
        if (states[n] != 0) on.push_back(static_cast<int32_t>(n));
}

// sums[l] = the sum of the listed columns' entries l, added from 0 in the
// order of the list, for every lower neuron l.
void Sum_Columns(const Layer_Connection& connection, const std::vector<int32_t>& listed, double* sums) {
    constexpr size_t group = 8;
    const int32_t lower_count = connection.Lower_Count();
    std::fill(sums, sums + lower_count, 0.0);
    for (size_t start = 0; start < listed.size(); start += group) {
        const size_t count = std::min(group, listed.size() - start);
        const double* summed[group];
        for (size_t k = 0; k < count; ++k) summed[k] = connection.Column(listed[start + k]);
        Add_Columns(connection.Kernels(), summed, count, lower_count, sums);
    }
}

}  // namespace

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

void Layer_Connection::Sample_Down() {
    if (Lower_Count() <= 0) return;
    if (columns != nullptr)
        Sample_Down_By_Columns();
    else
        Sample_Down_By_Rows();
}

// With states of 0 and 1, each lower sum is the sum of the weights of the
// upper neurons that are on, in ascending upper index: those columns added
// whole, element by element. Rows that may hold a weight that is not finite,
// and every row when a state is neither 0 nor 1, are summed in full.
void Layer_Connection::Sample_Down_By_Columns() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_States(*upper, scratch.upper_states);
    const Neuron_State* upper_states = scratch.upper_states.data();
    List_On(scratch.upper_states, scratch.upper_on);
    scratch.sums.resize(static_cast<size_t>(lower_count));
    double* sums = scratch.sums.data();
    if (binary) Sum_Columns(*this, scratch.upper_on, sums);
    for (int32_t l = 0; l < lower_count; ++l)
        if (!binary || row_may_be_non_finite[l]) sums[l] = Full_Row_Sum(weights[l], upper_states, upper_count);
    Fire_Layer(*lower, sums);
}

// Each lower sum over the upper neurons that are on, a few rows side by
// side, the scattered cells of the listed neurons one at a time.
void Layer_Connection::Sample_Down_By_Rows() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_States(*upper, scratch.upper_states);
    const Neuron_State* upper_states = scratch.upper_states.data();
    scratch.sums.resize(static_cast<size_t>(lower_count));
    double* sums = scratch.sums.data();

    // With states of 0 and 1 the upper neurons that are on are the only ones
    // that add anything to a row with finite weights.
    List_On(scratch.upper_states, scratch.upper_on);

    // The rows of lower neurons that are on come first: in training they have
    // just been read by Sample_Up and Update_Positive and are still in the
    // cache. The order of the rows changes nothing but the memory traffic.
    Gather_States(*lower, scratch.lower_states);
    const Neuron_State* lower_states = scratch.lower_states.data();
    std::vector<const Weight_Cell*>& rows = scratch.listed_rows;
    std::vector<int32_t>& neurons = scratch.listed_row_neurons;
    rows.clear();
    neurons.clear();
    for (const bool on : {true, false}) {
        for (int32_t l = 0; l < lower_count; ++l) {
            if ((lower_states[l] != 0) != on) continue;
            if (binary && !row_may_be_non_finite[l]) {
                rows.push_back(weights[l]);
                neurons.push_back(l);
            } else {
                sums[l] = Full_Row_Sum(weights[l], upper_states, upper_count);
            }
        }
    }
    scratch.listed_row_sums.resize(rows.size());
    Sum_Listed_Weights(rows.data(), rows.size(), scratch.upper_on.data(), scratch.upper_on.size(),
                       scratch.listed_row_sums.data());
    for (size_t i = 0; i < rows.size(); ++i) sums[neurons[i]] = scratch.listed_row_sums[i];

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
    Gather_States(*upper, scratch.upper_states);
    List_On(scratch.upper_states, scratch.upper_on);
    if (scratch.upper_on.empty()) return;
    Gather_States(*lower, scratch.lower_states);
    const int32_t* upper_on = scratch.upper_on.data();
    const size_t upper_on_count = scratch.upper_on.size();
    for (int32_t k = 0; k < lower_count; ++k) {
        // The negative update follows Sample_Down in training, which reads the
        // rows in ascending order: from the last row down, those it read last
        // are the ones still in the cache.
        const int32_t l = Positive ? k : lower_count - 1 - k;
        if (scratch.lower_states[l] == 0) continue;
        if (Update_Cells<Positive>(l, upper_on, upper_on_count, learning_rate)) row_may_be_non_finite[l] = true;
    }
    if (columns != nullptr) {
        List_On(scratch.lower_states, scratch.lower_on);
        for (const int32_t u : scratch.upper_on)
            Update_Column<Positive>(u, scratch.lower_on.data(), scratch.lower_on.size(), learning_rate);
    }
    Check_Bookkeeping();
}

void Layer_Connection::Update_Positive(double learning_rate) { Update_Pairs_On<true>(learning_rate); }

void Layer_Connection::Update_Negative(double learning_rate) { Update_Pairs_On<false>(learning_rate); }

// Update_Positive, Sample_Down and Update_Negative give row l results that
// depend on nothing but that row, the upper states (which none of them
// changes), lower neuron l's state before and after, and the l-th draw of
// Sample_Down. So each row is taken through all three at once, while it is
// in the cache: the positive update if lower neuron l is on, the sum and the
// decision with the l-th draw, then the negative update if l has come out
// on. The draws are all taken first, in ascending index, so the rows may be
// visited in any order.
//
// A row with only finite weights before the positive update is summed over
// the upper neurons that are on even if that update makes one of its weights
// infinite or NaN: the update changes no other cell, so the products of the
// neurons that are off are still ±0 and still change nothing.
void Layer_Connection::Learn_From_Sample(double learning_rate, Row_Order order) {
    if (Lower_Count() <= 0) return;
    if (columns != nullptr)
        Learn_By_Columns(learning_rate);
    else
        Learn_By_Rows(learning_rate, order);
}

void Layer_Connection::Learn_By_Rows(double learning_rate, Row_Order order) {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_States(*upper, scratch.upper_states);
    const Neuron_State* upper_states = scratch.upper_states.data();
    // Both updates change the cells of the upper neurons that are on,
    // whatever their states; with states of 0 and 1 those are also the only
    // cells the sum of a row with finite weights needs.
    List_On(scratch.upper_states, scratch.upper_on);
    const int32_t* upper_on = scratch.upper_on.data();
    const size_t upper_on_count = scratch.upper_on.size();
    std::vector<Neuron_State>& lower_states = scratch.lower_states;
    Gather_States(*lower, lower_states);

    Take_Draws(scratch.draws, lower_count);
    const std::vector<int>& draws = scratch.draws;

    // The rows of lower neurons that are on come first: Sample_Up has just
    // read them whole. The others follow in the order asked for.
    std::vector<int32_t>& visit_order = scratch.visit_order;
    visit_order.clear();
    for (int32_t l = 0; l < lower_count; ++l)
        if (lower_states[l] != 0) visit_order.push_back(l);
    const size_t on_count = visit_order.size();
    for (int32_t k = 0; k < lower_count; ++k) {
        const int32_t l = order == Row_Order::descending ? lower_count - 1 - k : k;
        if (lower_states[l] == 0) visit_order.push_back(l);
    }

    // The rows go through in groups, whose sums are built side by side.
    constexpr size_t group = 8;
    auto visit_group = [&](const int32_t* group_rows, size_t count, bool lower_on) {
        // Rows of lower neurons that are on are changed; the others only read.
        bool quick[group];
        Weight_Cell* changed_rows[group];
        const Weight_Cell* read_rows[group];
        double quick_sums[group];
        size_t quick_count = 0;
        for (size_t i = 0; i < count; ++i) {
            const int32_t l = group_rows[i];
            quick[i] = binary && !row_may_be_non_finite[l];
            if (!quick[i]) continue;
            if (lower_on) changed_rows[quick_count] = weights.Writable(l);
            read_rows[quick_count++] = weights[l];
        }
        bool quick_non_finite = false;
        if (lower_on)
            quick_non_finite = Update_Positive_And_Sum_Listed(changed_rows, quick_count, upper_on, upper_on_count,
                                                              learning_rate, quick_sums);
        else
            Sum_Listed_Weights(read_rows, quick_count, upper_on, upper_on_count, quick_sums);

        double sums[group];
        for (size_t i = 0, q = 0; i < count; ++i) {
            const int32_t l = group_rows[i];
            if (quick[i]) {
                sums[i] = quick_sums[q++];
                if (quick_non_finite && Listed_Non_Finite(weights[l], upper_on, upper_on_count))
                    row_may_be_non_finite[l] = true;
            } else {
                if (lower_on && Update_Listed_Positive(weights.Writable(l), upper_on, upper_on_count, learning_rate))
                    row_may_be_non_finite[l] = true;
                sums[i] = Full_Row_Sum(weights[l], upper_states, upper_count);
            }
        }
        for (size_t i = 0; i < count; ++i) {
            const int32_t l = group_rows[i];
            lower_states[l] = Fires(sums[i], draws[l]);
            if (lower_states[l] != 0 &&
                Update_Listed_Negative(weights.Writable(l), upper_on, upper_on_count, learning_rate))
                row_may_be_non_finite[l] = true;
        }
    };
    for (size_t start = 0; start < on_count; start += group)
        visit_group(visit_order.data() + start, std::min(group, on_count - start), true);
    for (size_t start = on_count; start < visit_order.size(); start += group)
        visit_group(visit_order.data() + start, std::min(group, visit_order.size() - start), false);
    Scatter_States(*lower, lower_states.data());
    Check_Bookkeeping();
}

// With a copy by column the three rules are taken one after the other, each
// over few cache lines: the positive update of the rows of lower neurons that
// are on (which Sample_Up has just read whole) and of the columns of upper
// neurons that are on, each column added to the lower sums right after its
// update while it is in the cache; the decisions; then the negative update
// of the rows of lower neurons that came out on, and of the same columns.
void Layer_Connection::Learn_By_Columns(double learning_rate) {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    Scratch& scratch = Thread_Scratch();
    const bool binary = Gather_States(*upper, scratch.upper_states);
    const Neuron_State* upper_states = scratch.upper_states.data();
    List_On(scratch.upper_states, scratch.upper_on);
    const int32_t* upper_on = scratch.upper_on.data();
    const size_t upper_on_count = scratch.upper_on.size();
    Gather_States(*lower, scratch.lower_states);
    Neuron_State* lower_states = scratch.lower_states.data();
    const std::vector<int32_t>& lower_on = scratch.lower_on;
    List_On(scratch.lower_states, scratch.lower_on);
    Take_Draws(scratch.draws, lower_count);
    const int* draws = scratch.draws.data();

    // The rows summed in full: those that may hold a weight that is not
    // finite before the positive update (one made so by it is still summed
    // over the columns of the neurons that are on, as in Learn_By_Rows), and
    // all of them when a state is neither 0 nor 1.
    std::vector<int32_t>& full_sum_rows = scratch.full_sum_rows;
    full_sum_rows.clear();
    for (int32_t l = 0; l < lower_count; ++l)
        if (!binary || row_may_be_non_finite[l]) full_sum_rows.push_back(l);

    // From the last row down: Sample_Up has just read these rows in
    // ascending order, so the last ones are the likeliest still in the cache.
    for (size_t k = lower_on.size(); k-- > 0;) {
        const int32_t l = lower_on[k];
        if (Update_Cells<true>(l, upper_on, upper_on_count, learning_rate)) row_may_be_non_finite[l] = true;
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
    for (const int32_t l : on_after)
        if (Update_Cells<false>(l, upper_on, upper_on_count, learning_rate)) row_may_be_non_finite[l] = true;
    Scatter_States(*lower, lower_states);
    Check_Bookkeeping();
}
