// The AVX2 kernel set: the vector kernels of weight_row_kernel_bodies.h
// with four doubles a vector, compiled for AVX2 here alone. The rules call
// them only where the processor has AVX2 (Kernel_Set_Available).
#include "network/weight_row_kernels.h"

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>

// Everything defined from here on may use AVX2; nothing defined here is
// shared with the rest of the program (see weight_row_kernel_bodies.h).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "network/weight_row_kernel_bodies.h"

namespace {

struct AVX2_Lanes {
    static constexpr Kernel_Set set = Kernel_Set::avx2;
    static constexpr int32_t width = 4;
    using Vector = __m256d;
    static Vector Broadcast(double value) { return _mm256_set1_pd(value); }
    static Vector Load(const double* at) { return _mm256_loadu_pd(at); }
    static void Store(double* at, Vector value) { _mm256_storeu_pd(at, value); }
    static Vector Add(Vector a, Vector b) { return _mm256_add_pd(a, b); }
    static Vector Multiply(Vector a, Vector b) { return _mm256_mul_pd(a, b); }
};

}  // namespace

void Accumulate_Columns_AVX2(const Row_Term* terms, size_t term_count, int32_t first, int32_t last, double* sums) {
    Accumulate_Columns_With<AVX2_Lanes>(terms, term_count, first, last, sums);
}

void Add_Columns_AVX2(const double* const* columns, size_t column_count, int32_t length, double* sums) {
    Add_Columns_With<AVX2_Lanes>(columns, column_count, length, sums);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
