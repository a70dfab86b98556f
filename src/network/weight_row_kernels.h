// The inner loops of the sampling and learning rules, over rows of weight
// cells and rows of their transpose. Each computes exactly what the
// plain loops of the rules compute, bit for bit: every sum receives its terms
// one at a time in the order the rules give, every update rounds after each
// operation, nothing is fused into a multiply-add, and only the memory order
// and the number of sums or weights worked on at once differ.
//
// Every kernel works with vector registers, in one version per kernel set:
// plain (one double at a time, the program's own scalar code), SSE2 (two)
// and AVX2 (four, where the processor has it).
#pragma once

#include "network/layer_connection.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The sets this processor can run, plain first and the widest last.
std::vector<Kernel_Set> Available_Kernel_Sets();
bool Kernel_Set_Available(Kernel_Set set);
Kernel_Set Widest_Kernel_Set();
const char* Kernel_Set_Name(Kernel_Set set);

// How many times a vector kernel of the set has been entered, on any
// thread, so that a test can tell which set ran. Every vector kernel notes
// its own set as it starts.
uint64_t Kernel_Set_Runs(Kernel_Set set);
void Note_Kernel_Set_Run(Kernel_Set set);

// One row's share of the upper sums: every sum u gets row[u].weight added
// (plain), or factor × row[u].weight when the row may hold a weight that is
// not finite or its neuron's state is neither 0 nor 1.
struct Row_Term {
    const Weight_Cell* row;
    double factor;
    bool plain;
};

// The learning updates: the positive one w + ((1 - w) × a) × 1.109, the
// negative one w - (1 - w) × a, or the positive and then the negative one,
// each rounded in turn.
enum class Weight_Update : uint8_t { positive, negative, both };

// The gain of the positive update.
inline constexpr double Positive_Gain = 1.109;

// sums[u] = (((0 + term 0) + term 1) + ...) for u from first to last - 1,
// the terms added in the order given.
void Add_Rows(Kernel_Set set, const Row_Term* terms, size_t term_count, int32_t first, int32_t last,
                        double* sums);

// sums[l] = (((sums[l] + transposed[0][l]) + transposed[1][l]) + ...) for l
// from 0 to length - 1: the rows of the transpose added in the order given.
void Add_Transposed(Kernel_Set set, const double* const* transposed, size_t transposed_count, int32_t length, double* sums);

// The masks say which positions an update changes: masks[i] is all ones
// where position i is changed and 0 where it is not. The kernels below take
// room for length positions of their own working in positions.

// For each row of the transpose in the order given: the positive update of
// its entries l whose mask is set, then sums[l] = sums[l] + the entry as updated, for l
// from 0 to length - 1.
void Update_Positive_And_Add_Transposed(Kernel_Set set, double* const* transposed, size_t transposed_count, int32_t length,
                                     const uint64_t* masks, double rate, double* sums);

// The positive or negative update of the entries of each row of the
// transpose whose mask is set.
void Update_Transposed(Kernel_Set set, Weight_Update update, double* const* transposed, size_t transposed_count,
                    int32_t length, const uint64_t* masks, double rate, int32_t* positions);

// updates[r] of the cells of row r whose mask is set, for each row;
// non_finite[r] becomes 1 if the row holds a weight that is infinite or not
// a number among the cells near those changed (any such weight of a row
// makes the row one that may hold one), 0 otherwise.
void Update_Rows(Kernel_Set set, Weight_Cell* const* rows, const Weight_Update* updates, size_t row_count,
                 int32_t length, const uint64_t* masks, double rate, int32_t* positions, uint8_t* non_finite);

// The kernels of one set, for the dispatch (weight_row_kernels.cpp): each
// set's file fills its table from weight_row_kernel_bodies.h.
struct Kernel_Table {
    void (*add_rows)(const Row_Term*, size_t, int32_t, int32_t, double*);
    void (*add_transposed)(const double* const*, size_t, int32_t, double*);
    void (*update_positive_and_add_transposed)(double* const*, size_t, int32_t, const uint64_t*, double, double*);
    void (*update_transposed)(Weight_Update, double* const*, size_t, int32_t, const uint64_t*, double, int32_t*);
    void (*update_rows)(Weight_Cell* const*, const Weight_Update*, size_t, int32_t, const uint64_t*, double, int32_t*,
                        uint8_t*);
};
extern const Kernel_Table Plain_Kernels;
extern const Kernel_Table SSE2_Kernels;
extern const Kernel_Table AVX2_Kernels;
