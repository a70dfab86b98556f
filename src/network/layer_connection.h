// The dense matrix of weights joining every neuron of a lower layer to every
// neuron of an upper one, the rules that sample and learn through it, and the
// picture that shows it.
#pragma once

#include "network/neuron_layer.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

// Builds with checks, the debug and sanitizer builds, verify after every
// change of the weights that what the connection keeps beside the cells (the
// transpose, the rows marked as possibly not finite) matches them, and
// abort if it does not.
#if !defined(NDEBUG) || defined(LAYERDREAM_CHECKS)
#define LAYERDREAM_CHECK_WEIGHTS 1
#endif
#ifndef LAYERDREAM_CHECK_WEIGHTS
#define LAYERDREAM_CHECK_WEIGHTS 0
#endif

// Which versions of the vector kernels the fast rules run: plain scalar
// loops, SSE2 or AVX2 (weight_row_kernels.h). Every set gives the same
// results to the last bit.
enum class Kernel_Set : uint8_t { plain, sse2, avx2 };

// One weight where it lies in its row: the cells of a row are the row's
// weights side by side, 8 bytes each.
struct Weight_Cell {
    double weight = -0.088;
};

// The firing probability of a neuron whose input sum is sum:
// 1 / (1 + 2.71828182^-sum), with that base rather than e itself.
double Firing_Probability(double sum);

// The matrix as rows of cells: weights[l][u].weight joins lower neuron l to
// upper neuron u. Anyone may read the cells this way; only the connection's
// own operations write them (Set_Weight for everyone else), so that nothing
// it keeps beside the cells can fall out of step with them.
//
// The rows lie one after the other in one block, each starting on a cache
// line (a row of U cells takes U rounded up to a multiple of 8).
//
// The rows also say when each was last written, so that the picture of the
// weights is redrawn only where they changed: every write of a row goes
// through Writable, which stamps the row with the current version.
class Weight_Rows {
public:
    const Weight_Cell* operator[](int32_t l) const { return cells + static_cast<size_t>(l) * stride; }
    explicit operator bool() const { return storage != nullptr; }

    // The version row l was last written in.
    uint64_t Written_In(int32_t l) const { return written_in[l]; }
    // Starts a new version: writes from now on are told apart from earlier
    // ones. Returns it.
    uint64_t Next_Version() { return ++version; }

private:
    friend struct Layer_Connection;
    Weight_Cell* Writable(int32_t l) {
        written_in[l] = version;
        return cells + static_cast<size_t>(l) * stride;
    }
    std::unique_ptr<Weight_Cell[]> storage;  // owned; cells points into it
    Weight_Cell* cells = nullptr;
    size_t stride = 0;                       // cells from one row to the next
    std::unique_ptr<uint64_t[]> written_in;  // per row
    uint64_t version = 1;
};

struct Layer_Connection {
    // Releases whatever the connection held, joins the two layers and gives
    // every weight a random starting value, drawn row by row.
    void Create(Neuron_Layer* new_lower, Neuron_Layer* new_upper);
    // Releases the rows and the panel and clears every field.
    void Destroy();
    // Paints the weights into the panel's picture as grey levels. The
    // window shows it from its next paint on.
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
    // rate, giving the same weights, states and draws as the three in a row
    // with less memory traffic (learn_from_sample.cpp).
    void Learn_From_Sample(double learning_rate);

    // Writes one weight and keeps the rules' bookkeeping true: the only way
    // to change a weight from outside the rules.
    void Set_Weight(int32_t l, int32_t u, double value);

    // Chooses the vector kernels of this connection's rules; Create gives
    // it the widest set the processor has. False, and no change, if the
    // processor lacks the set.
    bool Use_Kernel_Set(Kernel_Set set);

    int32_t Lower_Count() const { return lower != nullptr ? lower->Neuron_Count() : 0; }
    int32_t Upper_Count() const { return upper != nullptr ? upper->Neuron_Count() : 0; }

    std::unique_ptr<On_Screen_Object_Bitmap[]> panel;  // one panel, owned
    Neuron_Layer* lower = nullptr;                     // not owned
    Neuron_Layer* upper = nullptr;                     // not owned
    Weight_Rows weights;
    Network_Owner owner;  // the thread that built it

    // Whether row l may hold a weight that is infinite or not a number: the
    // fast rules add such rows in full, since 0 × w is then not 0. Every row
    // that does hold one is marked.
    bool Row_May_Be_Non_Finite(int32_t l) const { return row_may_be_non_finite[l]; }
    Kernel_Set Kernels() const { return kernel_set; }
    // Row u of the transpose, the weights into upper neuron u: entry l is
    // weights[l][u].weight.
    const double* Transposed(int32_t u) const { return transpose + static_cast<size_t>(u) * transpose_stride; }

private:
    std::unique_ptr<bool[]> row_may_be_non_finite;
    Kernel_Set kernel_set = Kernel_Set::plain;
    // The transpose: a copy of the weights, one row of L doubles for each
    // upper neuron (the weights into it), equal to the cells bit for bit.
    // Summing a lower neuron over the upper neurons that are on reads those
    // few rows of the transpose whole instead of scattered cells of every
    // row of the matrix. Each row starts on a cache line (L doubles rounded
    // up to a multiple of 8): transpose points into transpose_storage.
    std::unique_ptr<double[]> transpose_storage;
    double* transpose = nullptr;
    size_t transpose_stride = 0;

    void Make_Transpose();

    // Both updates on their own: every weight whose two neurons are on,
    // moved by the rule.
    template <bool Positive>
    void Update_Pairs_On(double learning_rate);
    // The positive update of the cells of the rows of the lower neurons
    // on_before and the negative one of those on_after (both ascending), over
    // the upper neurons that are on (gathered in the thread's scratch); a
    // row in both takes both in one visit. Marks the rows that come to hold
    // a weight that is not finite.
    void Update_Rows_Of(const std::vector<int32_t>& on_before, const std::vector<int32_t>& on_after,
                        double learning_rate);
    // The same update of the transpose: the rows of the upper neurons that
    // are on, at the lower neurons whose states are not 0.
    void Update_Transpose_Of(bool positive, const Neuron_State* lower_states, double learning_rate);
    // In builds with checks: aborts if the bookkeeping beside the cells does
    // not match them (a writer that forgot it).
    void Check_Bookkeeping() const;
};

inline void Layer_Connection::Set_Weight(int32_t l, int32_t u, double value) {
    owner.Check("Set_Weight");
    weights.Writable(l)[u].weight = value;
    transpose[static_cast<size_t>(u) * transpose_stride + l] = value;
    if (!std::isfinite(value)) row_may_be_non_finite[l] = true;
}
