#include "support/plain_network.h"

#include "network/random_source.h"

#include <cmath>
#include <cstddef>

namespace {

Neuron_State Plain_Fire(double sum) {
    const double probability = 1 / (1 + std::pow(2.71828182, -sum));
    const int draw = Draw_Random();
    return draw / 32767.0 < probability ? 1 : 0;
}

}  // namespace

Plain_Network Make_Plain_Network(const std::vector<Layer_Shape>& shapes) {
    Plain_Network network;
    for (const Layer_Shape& shape : shapes) {
        Plain_Layer layer{shape.width, shape.height, {}};
        layer.states.assign(static_cast<size_t>(shape.width) * static_cast<size_t>(shape.height), 1);
        network.layers.push_back(std::move(layer));
    }
    for (size_t i = 0; i + 1 < network.layers.size(); ++i) {
        Plain_Connection connection;
        connection.lower_count = static_cast<int32_t>(network.layers[i].states.size());
        connection.upper_count = static_cast<int32_t>(network.layers[i + 1].states.size());
        const int32_t lower_count = connection.lower_count;
        const int32_t upper_count = connection.upper_count;
        connection.weights.resize(static_cast<size_t>(lower_count) * static_cast<size_t>(upper_count));
        const double scale = std::pow(static_cast<double>((lower_count + upper_count) / 2), 0.5);
        for (size_t k = 0; k < connection.weights.size(); ++k)
            connection.weights[k] = ((Draw_Random() / 32767.0) * 2 - 1) / scale;
        network.connections.push_back(std::move(connection));
    }
    return network;
}

Plain_Network Plain_Copy(const Test_Network& network) {
    Plain_Network copy;
    for (const auto& layer : network.layers) {
        Plain_Layer plain{layer->width, layer->height, {}};
        for (int32_t x = 0; x < layer->width; ++x)
            for (int32_t y = 0; y < layer->height; ++y) plain.states.push_back(layer->columns[x][y]);
        copy.layers.push_back(std::move(plain));
    }
    for (const auto& connection : network.connections) {
        Plain_Connection plain{connection->Lower_Count(), connection->Upper_Count(), {}};
        for (int32_t l = 0; l < plain.lower_count; ++l)
            for (int32_t u = 0; u < plain.upper_count; ++u) plain.weights.push_back(connection->weights[l][u].weight);
        copy.connections.push_back(std::move(plain));
    }
    return copy;
}

void Plain_Sample_Up(Plain_Network& network, int32_t c) {
    const Plain_Connection& connection = network.connections[c];
    const Neuron_State* lower = network.layers[c].states.data();
    Neuron_State* upper = network.layers[c + 1].states.data();
    const double* w = connection.weights.data();
    const size_t lower_count = static_cast<size_t>(connection.lower_count);
    const size_t upper_count = static_cast<size_t>(connection.upper_count);
    for (size_t u = 0; u < upper_count; ++u) {
        double sum = 0;
        for (size_t l = 0; l < lower_count; ++l) sum += lower[l] * w[l * upper_count + u];
        upper[u] = Plain_Fire(sum);
    }
}

void Plain_Sample_Down(Plain_Network& network, int32_t c) {
    const Plain_Connection& connection = network.connections[c];
    Neuron_State* lower = network.layers[c].states.data();
    const Neuron_State* upper = network.layers[c + 1].states.data();
    const double* w = connection.weights.data();
    const size_t lower_count = static_cast<size_t>(connection.lower_count);
    const size_t upper_count = static_cast<size_t>(connection.upper_count);
    for (size_t l = 0; l < lower_count; ++l) {
        double sum = 0;
        for (size_t u = 0; u < upper_count; ++u) sum += upper[u] * w[l * upper_count + u];
        lower[l] = Plain_Fire(sum);
    }
}

void Plain_Update_Positive(Plain_Network& network, int32_t c, double learning_rate) {
    Plain_Connection& connection = network.connections[c];
    const Neuron_State* lower = network.layers[c].states.data();
    const Neuron_State* upper = network.layers[c + 1].states.data();
    double* w = connection.weights.data();
    const size_t lower_count = static_cast<size_t>(connection.lower_count);
    const size_t upper_count = static_cast<size_t>(connection.upper_count);
    for (size_t l = 0; l < lower_count; ++l)
        for (size_t u = 0; u < upper_count; ++u)
            if (lower[l] != 0 && upper[u] != 0) {
                double& weight = w[l * upper_count + u];
                weight = weight + ((1 - weight) * learning_rate) * 1.109;
            }
}

void Plain_Update_Negative(Plain_Network& network, int32_t c, double learning_rate) {
    Plain_Connection& connection = network.connections[c];
    const Neuron_State* lower = network.layers[c].states.data();
    const Neuron_State* upper = network.layers[c + 1].states.data();
    double* w = connection.weights.data();
    const size_t lower_count = static_cast<size_t>(connection.lower_count);
    const size_t upper_count = static_cast<size_t>(connection.upper_count);
    for (size_t l = 0; l < lower_count; ++l)
        for (size_t u = 0; u < upper_count; ++u)
            if (lower[l] != 0 && upper[u] != 0) {
                double& weight = w[l * upper_count + u];
                weight = weight - (1 - weight) * learning_rate;
            }
}

void Plain_Training_Step(Plain_Network& network, int32_t p, const Pattern& input, double learning_rate) {
    std::vector<Neuron_State>& states = network.layers[0].states;
    for (size_t n = 0; n < states.size(); ++n) states[n] = static_cast<Neuron_State>(input[n]);
    for (int32_t c = 0; c <= p; ++c) Plain_Sample_Up(network, c);
    Plain_Update_Positive(network, p, learning_rate);
    Plain_Sample_Down(network, p);
    Plain_Update_Negative(network, p, learning_rate);
}
