#include "network/layer_connection.h"

#include "network/random_source.h"
#include "network/weight_row_kernels.h"

#include <cmath>

void Layer_Connection::Create(Neuron_Layer* new_lower, Neuron_Layer* new_upper) {
    weights.reset();
    row_may_be_non_finite.reset();
    panel.reset();
    lower = new_lower;
    upper = new_upper;
    kernel_set = Widest_Kernel_Set();
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    weights = std::make_unique<std::unique_ptr<Weight_Cell[]>[]>(static_cast<size_t>(lower_count));
    row_may_be_non_finite = std::make_unique<bool[]>(static_cast<size_t>(lower_count));
    for (int32_t l = 0; l < lower_count; ++l) {
        weights[l] = std::make_unique<Weight_Cell[]>(static_cast<size_t>(upper_count));
        if (upper_count > 0) {
            // The scale is the square root of the mean of the two counts,
            // rounded down, so the weights stay small for wide layers.
            const double scale = std::pow(static_cast<double>((lower_count + upper_count) / 2), 0.5);
            for (int32_t u = 0; u < upper_count; ++u)
                weights[l][u].weight = (Random_Fraction(Draw_Random()) * 2 - 1) / scale;
        }
    }
    panel = std::make_unique<On_Screen_Object_Bitmap[]>(1);
    panel[0].Setup(lower_count, upper_count);
}

void Layer_Connection::Destroy() {
    weights.reset();
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

void Layer_Connection::Set_Weight(int32_t l, int32_t u, double value) {
    weights[l][u].weight = value;
    if (!std::isfinite(value)) row_may_be_non_finite[l] = true;
}

void Layer_Connection::Weights_Changed() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    for (int32_t l = 0; l < lower_count; ++l) {
        bool non_finite = false;
        for (int32_t u = 0; u < upper_count && !non_finite; ++u) non_finite = !std::isfinite(weights[l][u].weight);
        row_may_be_non_finite[l] = non_finite;
    }
}
