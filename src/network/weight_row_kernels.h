// The inner loops of the sampling and learning rules, over rows of weight
// cells. Each computes exactly what the plain loops of the rules compute,
// bit for bit: every sum receives its terms one at a time in the order the
// rules give, nothing is fused into a multiply-add, and only the memory
// order and the number of sums worked on at once differ. Where the
// processor has AVX2 (asked at run time) the wider registers are used,
// otherwise SSE2.
#pragma once

#include "network/layer_connection.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One row's share of the upper sums: every sum u gets row[u].weight added
// (plain), or factor × row[u].weight when the row may hold a weight that is
// not finite or its neuron's state is neither 0 nor 1.
struct Row_Term {
    const Weight_Cell* row;
    double factor;
    bool plain;
};

// sums[u] = (((0 + term 0) + term 1) + ...) for u from 0 to upper_count - 1,
// the terms added in the order given.
void Accumulate_Columns(const Row_Term* terms, size_t term_count, int32_t upper_count, double* sums);

// For each row r: sums[r] = the weights of the row at the listed positions,
// added from 0 in the order of the list.
void Sum_Listed_Weights(const Weight_Cell* const* rows, size_t row_count, const int32_t* listed, size_t listed_count,
                        double* sums);

// The positive update of the listed cells of each row, and then each row's
// sum of its listed weights as updated, added from 0 in the order of the
// list: sums[r]. Returns true if an updated weight of any of the rows came
// out infinite or not a number (Listed_Non_Finite tells which).
bool Update_Positive_And_Sum_Listed(Weight_Cell* const* rows, size_t row_count, const int32_t* listed,
                                    size_t listed_count, double rate, double* sums);
// The positive or negative update of the listed cells of one row. True if a
// changed weight came out infinite or not a number.
bool Update_Listed_Positive(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate);
bool Update_Listed_Negative(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate);
// Whether one of the row's listed weights is infinite or not a number.
bool Listed_Non_Finite(const Weight_Cell* row, const int32_t* listed, size_t listed_count);

// Whether the AVX2 kernels are used where the processor has AVX2 (the
// default); the tests turn them off to check the SSE2 kernels as well.
// Returns whether AVX2 kernels will be used from now on.
bool Allow_AVX2_Kernels(bool allowed);

// The gain of the positive update.
inline constexpr double Positive_Gain = 1.109;
