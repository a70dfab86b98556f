// What the fast rules of a connection share: their working storage, kept
// between calls so that training does not allocate on every step, and the
// small steps every rule takes (gathering states, firing a layer, summing a
// row or rows of the transpose). Inside the network's sources only.
#pragma once

#include "network/layer_connection.h"
#include "network/weight_row_kernels.h"

#include <cstdint>
#include <vector>

namespace rules {

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
    // Learn_From_Sample: the lower neurons whose rows are summed in full, and
    // those on after its sampling.
    std::vector<int32_t> full_sum_rows;
    std::vector<int32_t> lower_on_after;
    // The updates: which positions of a row change (Mask_On), the rows of
    // the matrix or of the transpose changed, each row's update, and the
    // kernels' working.
    std::vector<uint64_t> masks;
    std::vector<Weight_Cell*> changed_rows;
    std::vector<Weight_Update> row_updates;
    std::vector<int32_t> changed_row_neurons;
    std::vector<uint8_t> changed_row_non_finite;
    std::vector<double*> changed_transposed;
    std::vector<int32_t> positions;
    // The draws of a pass taken before its decisions, by target neuron, and
    // the states they give.
    std::vector<int> draws;
    std::vector<Neuron_State> fired;
};

// The calling thread's storage (the rules run on the training thread).
Scratch& Thread_Scratch();

// The layer's states in neuron index order. True if each is 0 or 1, the
// only values the program stores; any other value enters the sums as the
// signed number it is, which the rules' plain paths handle.
bool Gather_States(const Neuron_Layer& layer, std::vector<Neuron_State>& states);

// The upper layer's states into scratch.upper_states and the neurons that
// are on into scratch.upper_on, as every rule that sums over them begins.
// True if each state is 0 or 1 (as Gather_States).
bool Gather_Upper(const Neuron_Layer& upper, Scratch& scratch);

// Fires every neuron of the layer from its sum, in ascending neuron index,
// so the k-th draw goes to neuron k.
void Fire_Layer(Neuron_Layer& layer, const double* sums);

// The next count draws of this thread, in order, into draws.
void Take_Draws(std::vector<int>& draws, int32_t count);

// Writes the states, in neuron index order, back into the layer's columns.
void Scatter_States(Neuron_Layer& layer, const Neuron_State* states);

// The full sum of one row against the upper states, every product added.
double Full_Row_Sum(const Weight_Cell* row, const Neuron_State* upper_states, int32_t upper_count);

// The indices of the neurons whose state is not 0, in ascending order.
void List_On(const std::vector<Neuron_State>& states, std::vector<int32_t>& on);

// masks[n] = all ones for the neurons whose state is not 0, 0 for the others:
// the positions an update changes.
void Mask_On(const Neuron_State* states, int32_t count, std::vector<uint64_t>& masks);

// sums[l] = the sum of the listed rows of the transpose' entries l, added from 0 in the
// order of the list, for every lower neuron l.
void Sum_Transposed(const Layer_Connection& connection, const std::vector<int32_t>& listed, double* sums);

}  // namespace rules
