#include "network/rule_scratch.h"

#include "network/firing_decision.h"
#include "network/random_source.h"

#include <algorithm>
#include <cstring>

namespace rules {

Scratch& Thread_Scratch() {
    thread_local Scratch scratch;
    return scratch;
}

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

bool Gather_Upper(const Neuron_Layer& upper, Scratch& scratch) {
    const bool binary = Gather_States(upper, scratch.upper_states);
    List_On(scratch.upper_states, scratch.upper_on);
    return binary;
}

void Fire_Layer(Neuron_Layer& layer, const double* sums) {
    Scratch& scratch = Thread_Scratch();
    const int32_t count = layer.Neuron_Count();
    Take_Draws(scratch.draws, count);
    scratch.fired.resize(static_cast<size_t>(count));
    Fire_All(sums, scratch.draws.data(), scratch.draws.size(), scratch.fired.data());
    Scatter_States(layer, scratch.fired.data());
}

void Take_Draws(std::vector<int>& draws, int32_t count) {
    draws.resize(static_cast<size_t>(count));
    Draw_Randoms(draws.data(), draws.size());
}

void Scatter_States(Neuron_Layer& layer, const Neuron_State* states) {
    for (int32_t x = 0; x < layer.width; ++x) {
        if (layer.height > 0) std::memcpy(layer.columns[x].get(), states, static_cast<size_t>(layer.height));
        states += layer.height;
    }
}

double Full_Row_Sum(const Weight_Cell* row, const Neuron_State* upper_states, int32_t upper_count) {
    double sum = 0;
    for (int32_t u = 0; u < upper_count; ++u) sum += upper_states[u] * row[u].weight;
    return sum;
}

// Without a branch on each state: a neuron on or off is a coin toss the
// processor cannot foresee. Every index is written, and the count moves on
// past those that are on.
void List_On(const std::vector<Neuron_State>& states, std::vector<int32_t>& on) {
    on.resize(states.size());
    size_t count = 0;
    for (size_t n = 0; n < states.size(); ++n) {
        on[count] = static_cast<int32_t>(n);
        count += states[n] != 0;
    }
    on.resize(count);
}

void Mask_On(const Neuron_State* states, int32_t count, std::vector<uint64_t>& masks) {
    masks.resize(static_cast<size_t>(count));
    for (int32_t n = 0; n < count; ++n) masks[n] = states[n] != 0 ? ~uint64_t{0} : 0;
}

void Sum_Transposed(const Layer_Connection& connection, const std::vector<int32_t>& listed, double* sums) {
    constexpr size_t group = 8;
    const int32_t lower_count = connection.Lower_Count();
    std::fill(sums, sums + lower_count, 0.0);
    for (size_t start = 0; start < listed.size(); start += group) {
        const size_t count = std::min(group, listed.size() - start);
        const double* summed[group];
        for (size_t k = 0; k < count; ++k) summed[k] = connection.Transposed(listed[start + k]);
        Add_Transposed(connection.Kernels(), summed, count, lower_count, sums);
    }
}

}  // namespace rules
