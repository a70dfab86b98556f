#include "network/weight_row_kernels.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__)
#define LAYERDREAM_X86_64 1
#include <emmintrin.h>
#endif

#include "network/weight_row_kernel_bodies.h"

// The kernels read the weights of neighbouring cells as neighbouring doubles.
static_assert(sizeof(Weight_Cell) == sizeof(double));
static_assert(offsetof(Weight_Cell, weight) == 0);

namespace {

// ------------------------------------------------------------ kernel sets

std::atomic<uint64_t> kernel_set_runs[3];

size_t Index_Of(Kernel_Set set) { return static_cast<size_t>(set); }

// One double at a time: the vector kernels as plain scalar loops.
struct Plain_Lanes {
    static constexpr Kernel_Set set = Kernel_Set::plain;
    static constexpr int32_t width = 1;
    using Vector = double;
    static Vector Broadcast(double value) { return value; }
    static Vector Load(const double* at) { return *at; }
    static void Store(double* at, Vector value) { *at = value; }
    static Vector Add(Vector a, Vector b) { return a + b; }
    static Vector Multiply(Vector a, Vector b) { return a * b; }
};

#if LAYERDREAM_X86_64
// Two doubles at a time, which every x86-64 processor has.
struct SSE2_Lanes {
    static constexpr Kernel_Set set = Kernel_Set::sse2;
    static constexpr int32_t width = 2;
    using Vector = __m128d;
    static Vector Broadcast(double value) { return _mm_set1_pd(value); }
    static Vector Load(const double* at) { return _mm_loadu_pd(at); }
    static void Store(double* at, Vector value) { _mm_storeu_pd(at, value); }
    static Vector Add(Vector a, Vector b) { return _mm_add_pd(a, b); }
    static Vector Multiply(Vector a, Vector b) { return _mm_mul_pd(a, b); }
};

bool Processor_Has_AVX2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

bool Kernel_Set_Available(Kernel_Set set) {
    switch (set) {
        case Kernel_Set::plain:
            return true;
#if LAYERDREAM_X86_64
        case Kernel_Set::sse2:
            return true;
        case Kernel_Set::avx2:
            return Processor_Has_AVX2();
#else
        case Kernel_Set::sse2:
        case Kernel_Set::avx2:
            return false;
#endif
    }
    return false;
}

std::vector<Kernel_Set> Available_Kernel_Sets() {
    std::vector<Kernel_Set> sets;
    for (Kernel_Set set : {Kernel_Set::plain, Kernel_Set::sse2, Kernel_Set::avx2})
        if (Kernel_Set_Available(set)) sets.push_back(set);
    return sets;
}

Kernel_Set Widest_Kernel_Set() { return Available_Kernel_Sets().back(); }

const char* Kernel_Set_Name(Kernel_Set set) {
    switch (set) {
        case Kernel_Set::plain:
            return "Plain";
        case Kernel_Set::sse2:
            return "SSE2";
        case Kernel_Set::avx2:
            return "AVX2";
    }
    return "?";
}

uint64_t Kernel_Set_Runs(Kernel_Set set) { return kernel_set_runs[Index_Of(set)].load(std::memory_order_relaxed); }

void Note_Kernel_Set_Run(Kernel_Set set) { kernel_set_runs[Index_Of(set)].fetch_add(1, std::memory_order_relaxed); }

void Accumulate_Columns_Plain(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums) {
    Accumulate_Columns_With<Plain_Lanes>(terms, term_count, first, last, sums);
}

#if LAYERDREAM_X86_64
void Accumulate_Columns_SSE2(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums) {
    Accumulate_Columns_With<SSE2_Lanes>(terms, term_count, first, last, sums);
}
void Add_Columns_SSE2(const double* const* columns, size_t column_count, int32_t length, double* sums) {
    Add_Columns_With<SSE2_Lanes>(columns, column_count, length, sums);
}
#else
// Never chosen where the processor lacks the set (Kernel_Set_Available).
void Accumulate_Columns_SSE2(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums) {
    Accumulate_Columns_Plain(terms, term_count, first, last, sums);
}
void Accumulate_Columns_AVX2(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums) {
    Accumulate_Columns_Plain(terms, term_count, first, last, sums);
}
void Add_Columns_SSE2(const double* const* columns, size_t column_count, int32_t length, double* sums) {
    Add_Columns_Plain(columns, column_count, length, sums);
}
void Add_Columns_AVX2(const double* const* columns, size_t column_count, int32_t length, double* sums) {
    Add_Columns_Plain(columns, column_count, length, sums);
}
#endif

void Add_Columns_Plain(const double* const* columns, size_t column_count, int32_t length, double* sums) {
    Add_Columns_With<Plain_Lanes>(columns, column_count, length, sums);
}

void Add_Columns(Kernel_Set set, const double* const* columns, size_t column_count, int32_t length, double* sums) {
    switch (set) {
        case Kernel_Set::plain:
            Add_Columns_Plain(columns, column_count, length, sums);
            return;
        case Kernel_Set::sse2:
            Add_Columns_SSE2(columns, column_count, length, sums);
            return;
        case Kernel_Set::avx2:
            Add_Columns_AVX2(columns, column_count, length, sums);
            return;
    }
}

void Accumulate_Columns(Kernel_Set set, const Row_Term* terms, size_t term_count, int32_t first, int32_t last,
                        double* sums) {
    switch (set) {
        case Kernel_Set::plain:
            Accumulate_Columns_Plain(terms, term_count, first, last, sums);
            return;
        case Kernel_Set::sse2:
            Accumulate_Columns_SSE2(terms, term_count, first, last, sums);
            return;
        case Kernel_Set::avx2:
            Accumulate_Columns_AVX2(terms, term_count, first, last, sums);
            return;
    }
}

// ------------------------------------------------------------ scalar kernels
// Cells scattered along a row, taken one at a time, the same in every set.

namespace {

template <bool Positive>
double Updated(double w, double rate) {
    if constexpr (Positive)
        return w + ((1 - w) * rate) * Positive_Gain;
    else
        return w - (1 - w) * rate;
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

template <bool Positive, bool Negative>
bool Update_Listed(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate) {
    uint64_t non_finite = 0;
    for (size_t k = 0; k < listed_count; ++k) {
        double w = row[listed[k]].weight;
        if (Positive) w = Updated<true>(w, rate);
        if (Negative) w = Updated<false>(w, rate);
        row[listed[k]].weight = w;
        // Neither update makes an infinite or NaN weight finite again, so the
        // last value tells whether either step made one.
        non_finite |= Non_Finite_Bits(w);
    }
    return non_finite != 0;
}

template <bool Positive>
void Update_Column(double* column, const int32_t* listed, size_t listed_count, double rate) {
    for (size_t k = 0; k < listed_count; ++k) column[listed[k]] = Updated<Positive>(column[listed[k]], rate);
}

}  // namespace

bool Update_Listed_Positive(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate) {
    return Update_Listed<true, false>(row, listed, listed_count, rate);
}

bool Update_Listed_Negative(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate) {
    return Update_Listed<false, true>(row, listed, listed_count, rate);
}

bool Update_Listed_Both(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate) {
    return Update_Listed<true, true>(row, listed, listed_count, rate);
}

void Update_Column_Positive(double* column, const int32_t* listed, size_t listed_count, double rate) {
    Update_Column<true>(column, listed, listed_count, rate);
}

void Update_Column_Negative(double* column, const int32_t* listed, size_t listed_count, double rate) {
    Update_Column<false>(column, listed, listed_count, rate);
}
