#include "network/layer_connection.h"

#include "network/random_source.h"
#include "network/weight_row_kernels.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t line_bytes = 64;

// The number of items of a row (of the matrix or of its transpose) that
// fills whole cache lines.
template <typename Item>
size_t Whole_Lines(size_t count) {
    constexpr size_t per_line = line_bytes / sizeof(Item);
    return (count + per_line - 1) / per_line * per_line;
}

// Room for count items starting on a cache line: the storage, and where in
// it the first item lies.
template <typename Item>
Item* Line_Aligned(std::unique_ptr<Item[]>& storage, size_t count) {
    constexpr size_t per_line = line_bytes / sizeof(Item);
    storage = std::make_unique<Item[]>(count + per_line);
    const uintptr_t address = reinterpret_cast<uintptr_t>(storage.get());
    return storage.get() + (line_bytes - address % line_bytes) % line_bytes / sizeof(Item);
}

}  // namespace

void Layer_Connection::Create(Neuron_Layer* new_lower, Neuron_Layer* new_upper) {
    owner.Claim();
    weights.storage.reset();
    row_may_be_non_finite.reset();
    transpose_storage.reset();
    transpose = nullptr;
    panel.reset();
    lower = new_lower;
    upper = new_upper;
    kernel_set = Widest_Kernel_Set();
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    weights.stride = Whole_Lines<Weight_Cell>(static_cast<size_t>(upper_count));
    weights.cells = Line_Aligned(weights.storage, static_cast<size_t>(lower_count) * weights.stride);
    weights.written_in = std::make_unique<uint64_t[]>(static_cast<size_t>(lower_count));
    row_may_be_non_finite = std::make_unique<bool[]>(static_cast<size_t>(lower_count));
    for (int32_t l = 0; l < lower_count; ++l) {
        Weight_Cell* row = weights.Writable(l);
        if (upper_count > 0) {
            // The scale is the square root of the mean of the two counts,
            // rounded down, so the weights stay small for wide layers.
            const double scale = std::pow(static_cast<double>((lower_count + upper_count) / 2), 0.5);
            for (int32_t u = 0; u < upper_count; ++u)
                row[u].weight = (Random_Fraction(Draw_Random()) * 2 - 1) / scale;
        }
    }
    Make_Transpose();
    panel = std::make_unique<On_Screen_Object_Bitmap[]>(1);
    panel[0].Setup(lower_count, upper_count);
}

void Layer_Connection::Make_Transpose() {
    const size_t lower_count = static_cast<size_t>(Lower_Count());
    const size_t upper_count = static_cast<size_t>(Upper_Count());
    transpose_stride = Whole_Lines<double>(lower_count);
    transpose = Line_Aligned(transpose_storage, upper_count * transpose_stride);
    for (size_t l = 0; l < lower_count; ++l) {
        const Weight_Cell* row = weights[static_cast<int32_t>(l)];
        for (size_t u = 0; u < upper_count; ++u) transpose[u * transpose_stride + l] = row[u].weight;
    }
}

void Layer_Connection::Destroy() {
    weights.storage.reset();
    weights.cells = nullptr;
    weights.written_in.reset();
    row_may_be_non_finite.reset();
    transpose_storage.reset();
    transpose = nullptr;
    lower = nullptr;
    upper = nullptr;
    panel.reset();
}

bool Layer_Connection::Use_Kernel_Set(Kernel_Set set) {
    if (!Kernel_Set_Available(set)) return false;
    kernel_set = set;
    return true;
}

#if LAYERDREAM_CHECK_WEIGHTS
void Layer_Connection::Check_Bookkeeping() const {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    for (int32_t l = 0; l < lower_count; ++l) {
        for (int32_t u = 0; u < upper_count; ++u) {
            const double weight = weights[l][u].weight;
            if (!row_may_be_non_finite[l] && !std::isfinite(weight)) {
                std::fprintf(stderr, "layer connection: weight [%d][%d] is %g, but its row is not marked\n", l, u,
                             weight);
                std::abort();
            }
            if (std::memcmp(&Transposed(u)[l], &weight, sizeof weight) != 0) {
                std::fprintf(stderr, "layer connection: weight [%d][%d] is %.17g, but %.17g in the transpose\n", l, u,
                             weight, Transposed(u)[l]);
                std::abort();
            }
        }
    }
}
#else
void Layer_Connection::Check_Bookkeeping() const {}
#endif
