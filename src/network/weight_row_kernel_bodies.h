// The vector kernels, written once over a small type of vector lanes and
// compiled once per kernel set: weight_row_kernels.cpp for the plain and
// SSE2 sets, weight_row_kernels_avx2.cpp for AVX2 (with the processor
// target switched on around this file). Everything here has internal
// linkage, so each kernel set's file has its own copy, compiled for its own
// instructions, and no function compiled for wider registers can be shared
// with code that runs where they do not exist.
//
// A Lanes type gives:
//   width                 doubles in one vector
//   Vector                the vector type
//   Load, Store, Add, Multiply, Broadcast
//   set                   the kernel set it belongs to
//
// Every sum is built one term at a time, in the order the rules give, with
// separate multiplications and additions, so each lane computes exactly
// what the plain loop computes for its position.
#pragma once

#include "network/weight_row_kernels.h"

#include <cstddef>
#include <cstdint>

namespace {

// The positions from..to of Accumulate_Columns, one at a time.
void Accumulate_Columns_One_By_One(const Row_Term* terms, size_t term_count, int32_t from, int32_t to,
                                   double* sums) {
    for (int32_t u = from; u < to; ++u) {
        double sum = 0;
        for (size_t t = 0; t < term_count; ++t) {
            const Row_Term& term = terms[t];
            if (term.plain)
                sum += term.row[u].weight;
            else
                sum += term.factor * term.row[u].weight;
        }
        sums[u] = sum;
    }
}

// Accumulate_Columns: the sums of all positions are kept in memory and the
// terms added to them row by row, four plain rows at a time, so the rows are
// read in memory order.
template <typename Lanes>
void Accumulate_Columns_With(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums) {
    using Vector = typename Lanes::Vector;
    constexpr int32_t width = Lanes::width;
    Note_Kernel_Set_Run(Lanes::set);
    const int32_t covered = first + (last - first) / width * width;
    for (int32_t u = first; u < covered; ++u) sums[u] = 0;
    size_t t = 0;
    while (t < term_count) {
        if (t + 4 <= term_count && terms[t].plain && terms[t + 1].plain && terms[t + 2].plain && terms[t + 3].plain) {
            const Weight_Cell* r0 = terms[t].row;
            const Weight_Cell* r1 = terms[t + 1].row;
            const Weight_Cell* r2 = terms[t + 2].row;
            const Weight_Cell* r3 = terms[t + 3].row;
            for (int32_t u = first; u < covered; u += width) {
                Vector sum = Lanes::Load(sums + u);
                sum = Lanes::Add(sum, Lanes::Load(&r0[u].weight));
                sum = Lanes::Add(sum, Lanes::Load(&r1[u].weight));
                sum = Lanes::Add(sum, Lanes::Load(&r2[u].weight));
                sum = Lanes::Add(sum, Lanes::Load(&r3[u].weight));
                Lanes::Store(sums + u, sum);
            }
            t += 4;
        } else {
            const Row_Term& term = terms[t];
            const Vector factor = Lanes::Broadcast(term.factor);
            for (int32_t u = first; u < covered; u += width) {
                Vector weights = Lanes::Load(&term.row[u].weight);
                if (!term.plain) weights = Lanes::Multiply(factor, weights);
                Lanes::Store(sums + u, Lanes::Add(Lanes::Load(sums + u), weights));
            }
            t += 1;
        }
    }
    Accumulate_Columns_One_By_One(terms, term_count, covered, last, sums);
}

// Add_Columns: the columns are added to the sums in memory four at a time,
// each read in memory order.
template <typename Lanes>
void Add_Columns_With(const double* const* columns, size_t column_count, int32_t length, double* sums) {
    using Vector = typename Lanes::Vector;
    constexpr int32_t width = Lanes::width;
    Note_Kernel_Set_Run(Lanes::set);
    const int32_t covered = length / width * width;
    size_t c = 0;
    for (; c + 4 <= column_count; c += 4) {
        const double* c0 = columns[c];
        const double* c1 = columns[c + 1];
        const double* c2 = columns[c + 2];
        const double* c3 = columns[c + 3];
        for (int32_t i = 0; i < covered; i += width) {
            Vector sum = Lanes::Load(sums + i);
            sum = Lanes::Add(sum, Lanes::Load(c0 + i));
            sum = Lanes::Add(sum, Lanes::Load(c1 + i));
            sum = Lanes::Add(sum, Lanes::Load(c2 + i));
            sum = Lanes::Add(sum, Lanes::Load(c3 + i));
            Lanes::Store(sums + i, sum);
        }
        for (int32_t i = covered; i < length; ++i) sums[i] = (((sums[i] + c0[i]) + c1[i]) + c2[i]) + c3[i];
    }
    for (; c < column_count; ++c) {
        const double* column = columns[c];
        for (int32_t i = 0; i < covered; i += width)
            Lanes::Store(sums + i, Lanes::Add(Lanes::Load(sums + i), Lanes::Load(column + i)));
        for (int32_t i = covered; i < length; ++i) sums[i] = sums[i] + column[i];
    }
}

}  // namespace
