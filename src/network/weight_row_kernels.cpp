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
    static Vector Subtract(Vector a, Vector b) { return a - b; }
    static Vector Multiply(Vector a, Vector b) { return a * b; }
    static Vector Load_Mask(const uint64_t* at) {
        Vector mask;
        std::memcpy(&mask, at, sizeof mask);
        return mask;
    }
    static bool Any(Vector mask) {
        uint64_t bits;
        std::memcpy(&bits, &mask, sizeof bits);
        return bits != 0;
    }
    static Vector Select(Vector mask, Vector a, Vector b) { return Any(mask) ? a : b; }
    static Vector Or(Vector a, Vector b) {
        uint64_t a_bits;
        uint64_t b_bits;
        std::memcpy(&a_bits, &a, sizeof a_bits);
        std::memcpy(&b_bits, &b, sizeof b_bits);
        a_bits |= b_bits;
        std::memcpy(&a, &a_bits, sizeof a);
        return a;
    }
    static bool Any_Bits(Vector a) { return Any(a); }
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
    static Vector Subtract(Vector a, Vector b) { return _mm_sub_pd(a, b); }
    static Vector Multiply(Vector a, Vector b) { return _mm_mul_pd(a, b); }
    static Vector Load_Mask(const uint64_t* at) {
        return _mm_castsi128_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
    }
    static bool Any(Vector mask) { return _mm_movemask_pd(mask) != 0; }
    static Vector Select(Vector mask, Vector a, Vector b) {
        return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
    }
    static Vector Or(Vector a, Vector b) { return _mm_or_pd(a, b); }
    static bool Any_Bits(Vector a) {
        const __m128i bits = _mm_castpd_si128(a);
        return _mm_movemask_epi8(_mm_cmpeq_epi8(bits, _mm_setzero_si128())) != 0xFFFF;
    }
};

bool Processor_Has_AVX2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

const Kernel_Table Plain_Kernels = Kernels_With<Plain_Lanes>();
#if LAYERDREAM_X86_64
const Kernel_Table SSE2_Kernels = Kernels_With<SSE2_Lanes>();
#else
// Never chosen where the processor lacks the set (Kernel_Set_Available).
const Kernel_Table SSE2_Kernels = Kernels_With<Plain_Lanes>();
const Kernel_Table AVX2_Kernels = Kernels_With<Plain_Lanes>();
#endif

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

namespace {

const Kernel_Table& Kernels_Of(Kernel_Set set) {
    switch (set) {
        case Kernel_Set::sse2:
            return SSE2_Kernels;
        case Kernel_Set::avx2:
            return AVX2_Kernels;
        case Kernel_Set::plain:
            break;
    }
    return Plain_Kernels;
}

}  // namespace

void Add_Rows(Kernel_Set set, const Row_Term* terms, size_t term_count, int32_t first, int32_t last,
                        double* sums) {
    Kernels_Of(set).add_rows(terms, term_count, first, last, sums);
}

void Add_Transposed(Kernel_Set set, const double* const* transposed, size_t transposed_count, int32_t length, double* sums) {
    Kernels_Of(set).add_transposed(transposed, transposed_count, length, sums);
}

void Update_Positive_And_Add_Transposed(Kernel_Set set, double* const* transposed, size_t transposed_count, int32_t length,
                                     const uint64_t* masks, double rate, double* sums) {
    Kernels_Of(set).update_positive_and_add_transposed(transposed, transposed_count, length, masks, rate, sums);
}

void Update_Transposed(Kernel_Set set, Weight_Update update, double* const* transposed, size_t transposed_count,
                    int32_t length, const uint64_t* masks, double rate, int32_t* positions) {
    Kernels_Of(set).update_transposed(update, transposed, transposed_count, length, masks, rate, positions);
}

void Update_Rows(Kernel_Set set, Weight_Cell* const* rows, const Weight_Update* updates, size_t row_count,
                 int32_t length, const uint64_t* masks, double rate, int32_t* positions, uint8_t* non_finite) {
    Kernels_Of(set).update_rows(rows, updates, row_count, length, masks, rate, positions, non_finite);
}
