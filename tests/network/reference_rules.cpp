#include "network/reference_rules.h"

#include "network/random_source.h"

#include <cmath>

Neuron_State Reference_Fire(double sum) {
    const double probability = 1 / (1 + std::pow(2.71828182, -sum));
    const int draw = Draw_Random();
    return draw / 32767.0 < probability ? 1 : 0;
}

void Reference_Sample_Up(Layer_Connection& connection) {
    const Neuron_Layer& lower = *connection.lower;
    Neuron_Layer& upper = *connection.upper;
    for (int32_t ux = 0; ux < upper.width; ++ux) {
        for (int32_t uy = 0; uy < upper.height; ++uy) {
            const int32_t u = ux * upper.height + uy;
            double sum = 0;
            for (int32_t lx = 0; lx < lower.width; ++lx) {
                for (int32_t ly = 0; ly < lower.height; ++ly) {
                    const int32_t l = lx * lower.height + ly;
                    sum += lower.columns[lx][ly] * connection.weights[l][u].weight;
                }
            }
            upper.columns[ux][uy] = Reference_Fire(sum);
        }
    }
}

void Reference_Sample_Down(Layer_Connection& connection) {
    Neuron_Layer& lower = *connection.lower;
    const Neuron_Layer& upper = *connection.upper;
    for (int32_t lx = 0; lx < lower.width; ++lx) {
        for (int32_t ly = 0; ly < lower.height; ++ly) {
            const int32_t l = lx * lower.height + ly;
            double sum = 0;
            for (int32_t ux = 0; ux < upper.width; ++ux) {
                for (int32_t uy = 0; uy < upper.height; ++uy) {
                    const int32_t u = ux * upper.height + uy;
                    sum += upper.columns[ux][uy] * connection.weights[l][u].weight;
                }
            }
            lower.columns[lx][ly] = Reference_Fire(sum);
        }
    }
}

void Reference_Update_Positive(Layer_Connection& connection, double learning_rate) {
    const Neuron_Layer& lower = *connection.lower;
    const Neuron_Layer& upper = *connection.upper;
    for (int32_t lx = 0; lx < lower.width; ++lx) {
        for (int32_t ly = 0; ly < lower.height; ++ly) {
            const int32_t l = lx * lower.height + ly;
            for (int32_t ux = 0; ux < upper.width; ++ux) {
                for (int32_t uy = 0; uy < upper.height; ++uy) {
                    const int32_t u = ux * upper.height + uy;
                    if (lower.columns[lx][ly] != 0 && upper.columns[ux][uy] != 0) {
                        const double w = connection.weights[l][u].weight;
                        connection.Set_Weight(l, u, w + ((1 - w) * learning_rate) * 1.109);
                    }
                }
            }
        }
    }
}

void Reference_Update_Negative(Layer_Connection& connection, double learning_rate) {
    const Neuron_Layer& lower = *connection.lower;
    const Neuron_Layer& upper = *connection.upper;
    for (int32_t lx = 0; lx < lower.width; ++lx) {
        for (int32_t ly = 0; ly < lower.height; ++ly) {
            const int32_t l = lx * lower.height + ly;
            for (int32_t ux = 0; ux < upper.width; ++ux) {
                for (int32_t uy = 0; uy < upper.height; ++uy) {
                    const int32_t u = ux * upper.height + uy;
                    if (lower.columns[lx][ly] != 0 && upper.columns[ux][uy] != 0) {
                        const double w = connection.weights[l][u].weight;
                        connection.Set_Weight(l, u, w - (1 - w) * learning_rate);
                    }
                }
            }
        }
    }
}

Rule_Set Reference_Rules() {
    return Rule_Set{Reference_Sample_Up, Reference_Sample_Down, Reference_Update_Positive, Reference_Update_Negative};
}
