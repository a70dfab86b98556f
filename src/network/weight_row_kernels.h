// The inner loops of the sampling and learning rules, over rows of weight
// cells. Each computes exactly what the plain loops of the rules compute,
// bit for bit: every sum receives its terms one at a time in the order the
// rules give, nothing is fused into a multiply-add, and only the memory
// order and the number of sums worked on at once differ.
//
// Accumulate_Columns and Add_Columns work on whole rows of cells or whole
// columns of the copy by column with vector registers, in one version per
// kernel set: plain (one double at a time, the program's own scalar code),
// SSE2 (two) and AVX2 (four, where the processor has it). The other kernels
// take scattered cells one at a time and are the same scalar code for every
// set.
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

// sums[u] = (((0 + term 0) + term 1) + ...) for u from first to last - 1,
// the terms added in the order given, with the vector kernels of the set.
void Accumulate_Columns(Kernel_Set set, const Row_Term* terms, size_t term_count, int32_t first, int32_t last,
                        double* sums);

// sums[l] = (((sums[l] + columns[0][l]) + columns[1][l]) + ...) for l from 0
// to length - 1, the columns added in the order given, with the vector
// kernels of the set.
void Add_Columns(Kernel_Set set, const double* const* columns, size_t column_count, int32_t length, double* sums);

// The positive or negative update of the listed cells of one row. True if a
// changed weight came out infinite or not a number.
bool Update_Listed_Positive(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate);
bool Update_Listed_Negative(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate);
// The positive update and then the negative one of the listed cells of one
// row, in one pass: each weight rounded after each update, as two passes
// would give it.
bool Update_Listed_Both(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate);
// The same update of the listed entries of one column of the copy by
// column. The copy equals the cells bit for bit, so updating each where it
// lies gives both the same new weights.
void Update_Column_Positive(double* column, const int32_t* listed, size_t listed_count, double rate);
void Update_Column_Negative(double* column, const int32_t* listed, size_t listed_count, double rate);

// The gain of the positive update.
inline constexpr double Positive_Gain = 1.109;

// The vector kernels of each set, for the dispatch (weight_row_kernels.cpp).
void Accumulate_Columns_Plain(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums);
void Accumulate_Columns_SSE2(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums);
void Accumulate_Columns_AVX2(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums);
void Add_Columns_Plain(const double* const* columns, size_t column_count, int32_t length, double* sums);
void Add_Columns_SSE2(const double* const* columns, size_t column_count, int32_t length, double* sums);
void Add_Columns_AVX2(const double* const* columns, size_t column_count, int32_t length, double* sums);
