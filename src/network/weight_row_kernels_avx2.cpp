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
    static Vector Subtract(Vector a, Vector b) { return _mm256_sub_pd(a, b); }
    static Vector Multiply(Vector a, Vector b) { return _mm256_mul_pd(a, b); }
    static Vector Load_Mask(const uint64_t* at) {
        return _mm256_castsi256_pd(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)));
    }
    static bool Any(Vector mask) { return _mm256_movemask_pd(mask) != 0; }
    static Vector Select(Vector mask, Vector a, Vector b) { return _mm256_blendv_pd(b, a, mask); }
    static Vector Or(Vector a, Vector b) { return _mm256_or_pd(a, b); }
    static bool Any_Bits(Vector a) {
        const __m256i bits = _mm256_castpd_si256(a);
        return !_mm256_testz_si256(bits, bits);
    }
};

}  // namespace

const Kernel_Table AVX2_Kernels = Kernels_With<AVX2_Lanes>();

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
