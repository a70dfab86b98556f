#include "network/weight_row_kernels.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__)
#define LAYERDREAM_X86_64 1
#include <immintrin.h>
#endif

// The kernels read a cell's weight and spare as two neighbouring doubles.
static_assert(sizeof(Weight_Cell) == 2 * sizeof(double));
static_assert(offsetof(Weight_Cell, weight) == 0);

namespace {

// ------------------------------------------------------------ plain versions
// Used for the positions the wide versions leave over, and where there is no
// SSE2. They show what every version computes.

void Accumulate_Columns_Plain(const Row_Term* terms, size_t term_count, int32_t from, int32_t to, double* sums) {
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

template <bool Positive>
double Updated(double w, double rate) {
    if constexpr (Positive)
        return w + ((1 - w) * rate) * Positive_Gain;
    else
        return w - (1 - w) * rate;
}

// Sums of several rows at once over the same listed positions. Each sum is a
// chain of dependent additions; working on Rows of them side by side keeps
// the adder busy while each addition waits for the one before.
template <int Rows>
void Sum_Listed_Block(const Weight_Cell* const* rows, const int32_t* listed, size_t listed_count, double* sums) {
    double sum[Rows];
    const Weight_Cell* row[Rows];
    for (int r = 0; r < Rows; ++r) {
        sum[r] = 0;
        row[r] = rows[r];
    }
    for (size_t k = 0; k < listed_count; ++k) {
        const int32_t u = listed[k];
        for (int r = 0; r < Rows; ++r) sum[r] += row[r][u].weight;
    }
    for (int r = 0; r < Rows; ++r) sums[r] = sum[r];
}

// The bits of w - w: all zero when w is finite (the difference is +0), those
// of a NaN when it is infinite or not a number. Or-ing them over many
// weights tells whether any was not finite without a branch per weight.
inline uint64_t Non_Finite_Bits(double w) {
    const double difference = w - w;
    uint64_t bits;
    std::memcpy(&bits, &difference, sizeof bits);
    return bits;
}

// The positive update and the sum of several rows at once over the same
// listed positions, each weight updated, stored and added while it is at
// hand. The listed cells lie scattered along the row, so they are taken one
// at a time: with a sixth of the neurons on that does fewer operations than
// working through whole pairs or lines of cells.
template <int Rows>
uint64_t Update_Positive_And_Sum_Block(Weight_Cell* const* rows, const int32_t* listed, size_t listed_count,
                                       double rate, double* sums) {
    double sum[Rows];
    Weight_Cell* row[Rows];
    for (int r = 0; r < Rows; ++r) {
        sum[r] = 0;
        row[r] = rows[r];
    }
    uint64_t non_finite = 0;
    for (size_t k = 0; k < listed_count; ++k) {
        const int32_t u = listed[k];
        for (int r = 0; r < Rows; ++r) {
            const double w = Updated<true>(row[r][u].weight, rate);
            row[r][u].weight = w;
            sum[r] += w;
            non_finite |= Non_Finite_Bits(w);
        }
    }
    for (int r = 0; r < Rows; ++r) sums[r] = sum[r];
    return non_finite;
}

template <bool Positive>
bool Update_Listed(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate) {
    uint64_t non_finite = 0;
    for (size_t k = 0; k < listed_count; ++k) {
        const double w = Updated<Positive>(row[listed[k]].weight, rate);
        row[listed[k]].weight = w;
        non_finite |= Non_Finite_Bits(w);
    }
    return non_finite != 0;
}

#if LAYERDREAM_X86_64

std::atomic<bool> avx2_allowed{true};

bool Has_AVX2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && avx2_allowed.load(std::memory_order_relaxed);
}

// ------------------------------------------------------------ SSE2
// Two cells at a time: the weights of cells u and u + 1 side by side.

inline __m128d Weights_Of_Pair(const Weight_Cell* cells) {
    return _mm_unpacklo_pd(_mm_loadu_pd(&cells[0].weight), _mm_loadu_pd(&cells[1].weight));
}

void Accumulate_Columns_SSE2(const Row_Term* terms, size_t term_count, int32_t upper_count, double* sums) {
    const int32_t pairs = upper_count / 2;
    for (int32_t i = 0; i < 2 * pairs; ++i) sums[i] = 0;
    size_t t = 0;
    while (t < term_count) {
        if (t + 4 <= term_count && terms[t].plain && terms[t + 1].plain && terms[t + 2].plain && terms[t + 3].plain) {
            const Weight_Cell* r0 = terms[t].row;
            const Weight_Cell* r1 = terms[t + 1].row;
            const Weight_Cell* r2 = terms[t + 2].row;
            const Weight_Cell* r3 = terms[t + 3].row;
            for (int32_t p = 0; p < pairs; ++p) {
                __m128d sum = _mm_loadu_pd(sums + 2 * p);
                sum = _mm_add_pd(sum, Weights_Of_Pair(r0 + 2 * p));
                sum = _mm_add_pd(sum, Weights_Of_Pair(r1 + 2 * p));
                sum = _mm_add_pd(sum, Weights_Of_Pair(r2 + 2 * p));
                sum = _mm_add_pd(sum, Weights_Of_Pair(r3 + 2 * p));
                _mm_storeu_pd(sums + 2 * p, sum);
            }
            t += 4;
        } else {
            const Row_Term& term = terms[t];
            const __m128d factor = _mm_set1_pd(term.factor);
            for (int32_t p = 0; p < pairs; ++p) {
                __m128d weights = Weights_Of_Pair(term.row + 2 * p);
                if (!term.plain) weights = _mm_mul_pd(factor, weights);
                _mm_storeu_pd(sums + 2 * p, _mm_add_pd(_mm_loadu_pd(sums + 2 * p), weights));
            }
            t += 1;
        }
    }
    Accumulate_Columns_Plain(terms, term_count, 2 * pairs, upper_count, sums);
}

__attribute__((target("avx2"))) inline __m256d Weights_Of_Block(const Weight_Cell* cells) {
    return _mm256_unpacklo_pd(_mm256_loadu_pd(&cells[0].weight), _mm256_loadu_pd(&cells[2].weight));
}

__attribute__((target("avx2"))) void Accumulate_Columns_AVX2(const Row_Term* terms, size_t term_count,
                                                              int32_t upper_count, double* sums) {
    const int32_t blocks = upper_count / 4;
    for (int32_t i = 0; i < 4 * blocks; ++i) sums[i] = 0;
    size_t t = 0;
    while (t < term_count) {
        if (t + 4 <= term_count && terms[t].plain && terms[t + 1].plain && terms[t + 2].plain && terms[t + 3].plain) {
            const Weight_Cell* r0 = terms[t].row;
            const Weight_Cell* r1 = terms[t + 1].row;
            const Weight_Cell* r2 = terms[t + 2].row;
            const Weight_Cell* r3 = terms[t + 3].row;
            for (int32_t b = 0; b < blocks; ++b) {
                __m256d sum = _mm256_loadu_pd(sums + 4 * b);
                sum = _mm256_add_pd(sum, Weights_Of_Block(r0 + 4 * b));
                sum = _mm256_add_pd(sum, Weights_Of_Block(r1 + 4 * b));
                sum = _mm256_add_pd(sum, Weights_Of_Block(r2 + 4 * b));
                sum = _mm256_add_pd(sum, Weights_Of_Block(r3 + 4 * b));
                _mm256_storeu_pd(sums + 4 * b, sum);
            }
            t += 4;
        } else {
            const Row_Term& term = terms[t];
            const __m256d factor = _mm256_set1_pd(term.factor);
            for (int32_t b = 0; b < blocks; ++b) {
                __m256d weights = Weights_Of_Block(term.row + 4 * b);
                if (!term.plain) weights = _mm256_mul_pd(factor, weights);
                _mm256_storeu_pd(sums + 4 * b, _mm256_add_pd(_mm256_loadu_pd(sums + 4 * b), weights));
            }
            t += 1;
        }
    }
    for (int32_t b = 0; b < blocks; ++b) {
        const double second = sums[4 * b + 1];
        sums[4 * b + 1] = sums[4 * b + 2];
        sums[4 * b + 2] = second;
    }
    Accumulate_Columns_Plain(terms, term_count, 4 * blocks, upper_count, sums);
}

#endif

}  // namespace

bool Allow_AVX2_Kernels(bool allowed) {
#if LAYERDREAM_X86_64
    avx2_allowed = allowed;
    return Has_AVX2();
#else
    (void)allowed;
    return false;
#endif
}

void Accumulate_Columns(const Row_Term* terms, size_t term_count, int32_t upper_count, double* sums) {
#if LAYERDREAM_X86_64
    if (Has_AVX2())
        Accumulate_Columns_AVX2(terms, term_count, upper_count, sums);
    else
        Accumulate_Columns_SSE2(terms, term_count, upper_count, sums);
#else
    Accumulate_Columns_Plain(terms, term_count, 0, upper_count, sums);
#endif
}

void Sum_Listed_Weights(const Weight_Cell* const* rows, size_t row_count, const int32_t* listed, size_t listed_count,
                        double* sums) {
    size_t r = 0;
    for (; r + 8 <= row_count; r += 8) Sum_Listed_Block<8>(rows + r, listed, listed_count, sums + r);
    if (r + 4 <= row_count) {
        Sum_Listed_Block<4>(rows + r, listed, listed_count, sums + r);
        r += 4;
    }
    for (; r < row_count; ++r) Sum_Listed_Block<1>(rows + r, listed, listed_count, sums + r);
}

bool Update_Positive_And_Sum_Listed(Weight_Cell* const* rows, size_t row_count, const int32_t* listed,
                                    size_t listed_count, double rate, double* sums) {
    uint64_t non_finite = 0;
    size_t r = 0;
    for (; r + 8 <= row_count; r += 8)
        non_finite |= Update_Positive_And_Sum_Block<8>(rows + r, listed, listed_count, rate, sums + r);
    if (r + 4 <= row_count) {
        non_finite |= Update_Positive_And_Sum_Block<4>(rows + r, listed, listed_count, rate, sums + r);
        r += 4;
    }
    for (; r < row_count; ++r)
        non_finite |= Update_Positive_And_Sum_Block<1>(rows + r, listed, listed_count, rate, sums + r);
    return non_finite != 0;
}

bool Update_Listed_Positive(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate) {
    return Update_Listed<true>(row, listed, listed_count, rate);
}

bool Update_Listed_Negative(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate) {
    return Update_Listed<false>(row, listed, listed_count, rate);
}

bool Listed_Non_Finite(const Weight_Cell* row, const int32_t* listed, size_t listed_count) {
    uint64_t non_finite = 0;
    for (size_t k = 0; k < listed_count; ++k) non_finite |= Non_Finite_Bits(row[listed[k]].weight);
    return non_finite != 0;
}
