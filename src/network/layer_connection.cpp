#include "network/layer_connection.h"

#include "network/random_source.h"
#include "network/weight_row_kernels.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

void Layer_Connection::Create(Neuron_Layer* new_lower, Neuron_Layer* new_upper) {
    weights.rows.reset();
    row_may_be_non_finite.reset();
    panel.reset();
    lower = new_lower;
    upper = new_upper;
    kernel_set = Widest_Kernel_Set();
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    weights.rows = std::make_unique<std::unique_ptr<Weight_Cell[]>[]>(static_cast<size_t>(lower_count));
    row_may_be_non_finite = std::make_unique<bool[]>(static_cast<size_t>(lower_count));
    for (int32_t l = 0; l < lower_count; ++l) {
        weights.rows[l] = std::make_unique<Weight_Cell[]>(static_cast<size_t>(upper_count));
        Weight_Cell* row = weights.Writable(l);
        if (upper_count > 0) {
            // The scale is the square root of the mean of the two counts,
            // rounded down, so the weights stay small for wide layers.
            const double scale = std::pow(static_cast<double>((lower_count + upper_count) / 2), 0.5);
            for (int32_t u = 0; u < upper_count; ++u)
                row[u].weight = (Random_Fraction(Draw_Random()) * 2 - 1) / scale;
        }
    }
    panel = std::make_unique<On_Screen_Object_Bitmap[]>(1);
    panel[0].Setup(lower_count, upper_count);
}

void Layer_Connection::Destroy() {
    weights.rows.reset();
    row_may_be_non_finite.reset();
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
        if (row_may_be_non_finite[l]) continue;
        for (int32_t u = 0; u < upper_count; ++u) {
            if (!std::isfinite(weights[l][u].weight)) {
                std::fprintf(stderr, "layer connection: weight [%d][%d] is %g, but its row is not marked\n", l, u,
                             weights[l][u].weight);
                std::abort();
            }
        }
    }
}
#else
void Layer_Connection::Check_Bookkeeping() const {}
#endif
