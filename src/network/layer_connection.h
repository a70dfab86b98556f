// The dense matrix of weights joining every neuron of a lower layer to every
// neuron of an upper one, the rules that sample and learn through it, and the
// picture that shows it.
#pragma once

#include "network/neuron_layer.h"

#include <cstdint>
#include <memory>

// Which versions of the vector kernels the fast rules run: plain scalar
// loops, SSE2 or AVX2 (weight_row_kernels.h). Every set gives the same
// results to the last bit.
enum class Kernel_Set : uint8_t { plain, sse2, avx2 };

struct Weight_Cell {
    double weight = -0.088;
    double spare = 0.0;  // never read
};

// The firing probability of a neuron whose input sum is sum:
// 1 / (1 + 2.71828182^-sum), with that base rather than e itself.
double Firing_Probability(double sum);

struct Layer_Connection {
    // Releases whatever the connection held, joins the two layers and gives
    // every weight a random starting value, drawn row by row.
    void Create(Neuron_Layer* new_lower, Neuron_Layer* new_upper);
    // Releases the rows and the panel and clears every field.
    void Destroy();
    // Paints the weights into the panel's picture as grey levels, then has
    // the window repainted before returning.
    void Show_Weights(HWND window);

    // Draws a new state for every upper neuron from the lower layer.
    void Sample_Up();
    // Draws a new state for every lower neuron from the upper layer.
    void Sample_Down();
    // Moves every weight whose two neurons are on toward 1.
    void Update_Positive(double learning_rate);
    // Moves every weight whose two neurons are on away from 1.
    void Update_Negative(double learning_rate);
    // The learning half of a training step, once the upper layer holds its
    // sample: Update_Positive, Sample_Down and Update_Negative with the same
    // rate, giving the same weights, states and draws as the three in a row,
    // but in one pass over the rows, each row changed while it is in the cache.
    void Learn_From_Sample(double learning_rate);

    // Writes one weight, keeping the fast rules' bookkeeping true. Anyone
    // who writes weights[l][u].weight directly calls Weights_Changed after.
    void Set_Weight(int32_t l, int32_t u, double value);
    void Weights_Changed();

    // Chooses the vector kernels of this connection's rules; Create gives
    // it the widest set the processor has. False, and no change, if the
    // processor lacks the set.
    bool Use_Kernel_Set(Kernel_Set set);

    int32_t Lower_Count() const { return lower != nullptr ? lower->Neuron_Count() : 0; }
    int32_t Upper_Count() const { return upper != nullptr ? upper->Neuron_Count() : 0; }

    std::unique_ptr<On_Screen_Object_Bitmap[]> panel;  // one panel, owned
    Neuron_Layer* lower = nullptr;                     // not owned
    Neuron_Layer* upper = nullptr;                     // not owned
    // weights[l][u] joins lower neuron l to upper neuron u; owned.
    std::unique_ptr<std::unique_ptr<Weight_Cell[]>[]> weights;

    // Bookkeeping beside the weights for the fast rules: row l may hold a
    // weight that is infinite or not a number. Kept true by every change.
    std::unique_ptr<bool[]> row_may_be_non_finite;
    Kernel_Set kernel_set = Kernel_Set::plain;
};
