// The four rules of the model: sampling a layer from the other layer of a
// connection, and the positive and negative learning updates.
#include "network/layer_connection.h"

#include "network/random_source.h"

#include <cmath>

namespace {

// The base of the firing probability: this decimal, not e itself.
constexpr double firing_base = 2.71828182;
// The gain of the positive update only.
constexpr double positive_gain = 1.109;

// The firing rule: the probability is computed first, then one draw decides.
Neuron_State Fire(double sum) {
    const double probability = Firing_Probability(sum);
    const int draw = Draw_Random();
    return Random_Fraction(draw) < probability ? 1 : 0;
}

Neuron_State State_At(const Neuron_Layer& layer, int32_t index) {
    return layer.columns[index / layer.height][index % layer.height];
}

void Set_State_At(Neuron_Layer& layer, int32_t index, Neuron_State state) {
    layer.columns[index / layer.height][index % layer.height] = state;
}

}  // namespace

double Firing_Probability(double sum) { return 1 / (1 + std::pow(firing_base, -sum)); }

void Layer_Connection::Sample_Up() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    for (int32_t u = 0; u < upper_count; ++u) {
        double sum = 0;
        for (int32_t l = 0; l < lower_count; ++l) sum += State_At(*lower, l) * weights[l][u].weight;
        Set_State_At(*upper, u, Fire(sum));
    }
}

void Layer_Connection::Sample_Down() {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    for (int32_t l = 0; l < lower_count; ++l) {
        double sum = 0;
        for (int32_t u = 0; u < upper_count; ++u) sum += State_At(*upper, u) * weights[l][u].weight;
        Set_State_At(*lower, l, Fire(sum));
    }
}

void Layer_Connection::Update_Positive(double learning_rate) {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    for (int32_t l = 0; l < lower_count; ++l) {
        if (State_At(*lower, l) == 0) continue;
        for (int32_t u = 0; u < upper_count; ++u) {
            if (State_At(*upper, u) == 0) continue;
            const double w = weights[l][u].weight;
            Set_Weight(l, u, w + ((1 - w) * learning_rate) * positive_gain);
        }
    }
}

void Layer_Connection::Update_Negative(double learning_rate) {
    const int32_t lower_count = Lower_Count();
    const int32_t upper_count = Upper_Count();
    for (int32_t l = 0; l < lower_count; ++l) {
        if (State_At(*lower, l) == 0) continue;
        for (int32_t u = 0; u < upper_count; ++u) {
            if (State_At(*upper, u) == 0) continue;
            const double w = weights[l][u].weight;
            Set_Weight(l, u, w - (1 - w) * learning_rate);
        }
    }
}
