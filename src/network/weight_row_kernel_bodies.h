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
//   Load, Store, Add, Subtract, Multiply, Broadcast
//   Load_Mask(masks)      width lane masks (each all ones or all zeros)
//   Any(mask)             whether a lane of the mask is set
//   Select(mask, a, b)    a where the mask is set, b elsewhere
//   Or(a, b), Any_Bits(a) the bits of both; whether a bit is set
//   set                   the kernel set it belongs to
//
// Every sum is built one term at a time, in the order the rules give, and
// every update one operation at a time, with separate multiplications and
// additions, so each lane computes exactly what the plain loop computes for
// its position.
#pragma once

#include "network/weight_row_kernels.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

// The positions from..to of Add_Rows, one at a time.
void Add_Rows_One_By_One(const Row_Term* terms, size_t term_count, int32_t from, int32_t to,
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

// Add_Rows: the sums of all positions are kept in memory and the
// terms added to them row by row, four plain rows at a time, so the rows are
// read in memory order.
template <typename Lanes>
void Add_Rows_With(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums) {
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
    Add_Rows_One_By_One(terms, term_count, covered, last, sums);
}

// Add_Transposed: the rows of the transpose are added to the sums in memory
// four at a time,
// each read in memory order.
template <typename Lanes>
void Add_Transposed_With(const double* const* transposed, size_t transposed_count, int32_t length, double* sums) {
    using Vector = typename Lanes::Vector;
    constexpr int32_t width = Lanes::width;
    Note_Kernel_Set_Run(Lanes::set);
    const int32_t covered = length / width * width;
    size_t c = 0;
    for (; c + 4 <= transposed_count; c += 4) {
        const double* c0 = transposed[c];
        const double* c1 = transposed[c + 1];
        const double* c2 = transposed[c + 2];
        const double* c3 = transposed[c + 3];
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
    for (; c < transposed_count; ++c) {
        const double* transposed_row = transposed[c];
        for (int32_t i = 0; i < covered; i += width)
            Lanes::Store(sums + i, Lanes::Add(Lanes::Load(sums + i), Lanes::Load(transposed_row + i)));
        for (int32_t i = covered; i < length; ++i) sums[i] = sums[i] + transposed_row[i];
    }
}

// One update of a weight, each operation rounded in turn.
template <Weight_Update update>
double Updated(double w, double rate) {
    if (update != Weight_Update::negative) w = w + ((1 - w) * rate) * Positive_Gain;
    if (update != Weight_Update::positive) w = w - (1 - w) * rate;
    return w;
}

// The same for a vector of weights, lane by lane.
template <typename Lanes, Weight_Update update>
struct Vector_Update {
    using Vector = typename Lanes::Vector;
    explicit Vector_Update(double rate)
        : one(Lanes::Broadcast(1.0)), rates(Lanes::Broadcast(rate)), gain(Lanes::Broadcast(Positive_Gain)) {}
    Vector operator()(Vector w) const {
        if (update != Weight_Update::negative)
            w = Lanes::Add(w, Lanes::Multiply(Lanes::Multiply(Lanes::Subtract(one, w), rates), gain));
        if (update != Weight_Update::positive) w = Lanes::Subtract(w, Lanes::Multiply(Lanes::Subtract(one, w), rates));
        return w;
    }
    Vector one, rates, gain;
};

// The starts of the whole vectors below covered with a mask set, into
// positions; returns how many.
template <typename Lanes>
size_t List_Masked_Vectors(const uint64_t* masks, int32_t covered, int32_t* positions) {
    size_t count = 0;
    for (int32_t i = 0; i < covered; i += Lanes::width)
        if (Lanes::Any(Lanes::Load_Mask(masks + i))) positions[count++] = i;
    return count;
}

// Update_Positive_And_Add_Transposed: four rows of the transpose at a time,
// in one pass over them in memory order, each vector of each updated where a mask is
// set and stored, and added to the sums.
template <typename Lanes>
void Update_Positive_And_Add_Transposed_With(double* const* transposed, size_t transposed_count, int32_t length,
                                          const uint64_t* masks, double rate, double* sums) {
    using Vector = typename Lanes::Vector;
    constexpr int32_t width = Lanes::width;
    Note_Kernel_Set_Run(Lanes::set);
    const int32_t covered = length / width * width;
    const Vector_Update<Lanes, Weight_Update::positive> updated(rate);
    for (size_t c = 0; c < transposed_count; c += 4) {
        const size_t count = transposed_count - c < 4 ? transposed_count - c : 4;
        double* const* group = transposed + c;
        for (int32_t i = 0; i < covered; i += width) {
            const Vector mask = Lanes::Load_Mask(masks + i);
            const bool changes = Lanes::Any(mask);
            Vector sum = Lanes::Load(sums + i);
            for (size_t k = 0; k < count; ++k) {
                Vector w = Lanes::Load(group[k] + i);
                if (changes) {
                    w = Lanes::Select(mask, updated(w), w);
                    Lanes::Store(group[k] + i, w);
                }
                sum = Lanes::Add(sum, w);
            }
            Lanes::Store(sums + i, sum);
        }
        for (int32_t i = covered; i < length; ++i) {
            for (size_t k = 0; k < count; ++k) {
                double& w = group[k][i];
                if (masks[i] != 0) w = Updated<Weight_Update::positive>(w, rate);
                sums[i] = sums[i] + w;
            }
        }
    }
}

// Update_Transposed: the vectors with a mask set listed once, then each row
// of the transpose updated there.
template <typename Lanes, Weight_Update update>
void Update_Transposed_Where(double* const* transposed, size_t transposed_count, int32_t length, const uint64_t* masks,
                          double rate, int32_t* positions) {
    constexpr int32_t width = Lanes::width;
    const int32_t covered = length / width * width;
    const size_t position_count = List_Masked_Vectors<Lanes>(masks, covered, positions);
    const Vector_Update<Lanes, update> updated(rate);
    for (size_t c = 0; c < transposed_count; ++c) {
        double* transposed_row = transposed[c];
        for (size_t k = 0; k < position_count; ++k) {
            const int32_t i = positions[k];
            const typename Lanes::Vector w = Lanes::Load(transposed_row + i);
            Lanes::Store(transposed_row + i, Lanes::Select(Lanes::Load_Mask(masks + i), updated(w), w));
        }
        for (int32_t i = covered; i < length; ++i)
            if (masks[i] != 0) transposed_row[i] = Updated<update>(transposed_row[i], rate);
    }
}

template <typename Lanes>
void Update_Transposed_With(Weight_Update update, double* const* transposed, size_t transposed_count, int32_t length,
                         const uint64_t* masks, double rate, int32_t* positions) {
    Note_Kernel_Set_Run(Lanes::set);
    if (update == Weight_Update::positive)
        Update_Transposed_Where<Lanes, Weight_Update::positive>(transposed, transposed_count, length, masks, rate, positions);
    else
        Update_Transposed_Where<Lanes, Weight_Update::negative>(transposed, transposed_count, length, masks, rate, positions);
}

// One row of Update_Rows over the listed vectors. The bits of w - w are all
// zero when w is finite and those of a NaN when it is not: or-ing them over
// the vectors stored tells whether any of their weights is not finite.
template <typename Lanes, Weight_Update update>
bool Update_Row_Where(double* row, const int32_t* positions, size_t position_count, int32_t covered, int32_t length,
                      const uint64_t* masks, double rate) {
    using Vector = typename Lanes::Vector;
    const Vector_Update<Lanes, update> updated(rate);
    Vector non_finite = Lanes::Broadcast(0.0);
    for (size_t k = 0; k < position_count; ++k) {
        const int32_t i = positions[k];
        const Vector w = Lanes::Load(row + i);
        const Vector stored = Lanes::Select(Lanes::Load_Mask(masks + i), updated(w), w);
        Lanes::Store(row + i, stored);
        non_finite = Lanes::Or(non_finite, Lanes::Subtract(stored, stored));
    }
    bool tail_non_finite = false;
    for (int32_t i = covered; i < length; ++i) {
        if (masks[i] == 0) continue;
        row[i] = Updated<update>(row[i], rate);
        tail_non_finite |= !std::isfinite(row[i]);
    }
    return Lanes::Any_Bits(non_finite) || tail_non_finite;
}

// Update_Rows: the vectors with a mask set listed once, then each row
// updated there.
template <typename Lanes>
void Update_Rows_With(Weight_Cell* const* rows, const Weight_Update* updates, size_t row_count, int32_t length,
                      const uint64_t* masks, double rate, int32_t* positions, uint8_t* non_finite) {
    constexpr int32_t width = Lanes::width;
    Note_Kernel_Set_Run(Lanes::set);
    const int32_t covered = length / width * width;
    const size_t position_count = List_Masked_Vectors<Lanes>(masks, covered, positions);
    for (size_t r = 0; r < row_count; ++r) {
        double* row = &rows[r][0].weight;
        bool row_non_finite;
        switch (updates[r]) {
            case Weight_Update::positive:
                row_non_finite = Update_Row_Where<Lanes, Weight_Update::positive>(row, positions, position_count,
                                                                                   covered, length, masks, rate);
                break;
            case Weight_Update::negative:
                row_non_finite = Update_Row_Where<Lanes, Weight_Update::negative>(row, positions, position_count,
                                                                                   covered, length, masks, rate);
                break;
            default:
                row_non_finite = Update_Row_Where<Lanes, Weight_Update::both>(row, positions, position_count, covered,
                                                                               length, masks, rate);
                break;
        }
        non_finite[r] = row_non_finite ? 1 : 0;
    }
}

// The kernels of a set.
template <typename Lanes>
constexpr Kernel_Table Kernels_With() {
    return {&Add_Rows_With<Lanes>, &Add_Transposed_With<Lanes>, &Update_Positive_And_Add_Transposed_With<Lanes>,
            &Update_Transposed_With<Lanes>, &Update_Rows_With<Lanes>};
}

}  // namespace
