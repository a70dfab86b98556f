// The model's rules written literally over plain arrays, one thread: the
// baseline the benchmarks measure the program against. Each layer's states
// are one byte a neuron in neuron index order (x × height + y); each
// connection's weights one array of doubles by row, w[l × U + u], 8 bytes a
// weight. Sample_Up takes the upper neurons in ascending index and, for
// each, adds the product of every lower neuron's state and weight in
// ascending lower index before its draw; Sample_Down the same the other way;
// the updates test every pair. The draws come from the program's random
// source, so from one random state this gives the same states, draws and
// weights as the program (tests/network/plain_network_test.cpp holds it
// against the reference rules).
#pragma once

#include "network/neuron_layer.h"
#include "support/test_network.h"

#include <cstdint>
#include <vector>

struct Plain_Layer {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Neuron_State> states;  // by neuron index
};

struct Plain_Connection {
    int32_t lower_count = 0;
    int32_t upper_count = 0;
    std::vector<double> weights;  // weights[l * upper_count + u]
};

struct Plain_Network {
    std::vector<Plain_Layer> layers;
    // connections[i] joins layers[i] to layers[i + 1].
    std::vector<Plain_Connection> connections;
};

// Layers of those shapes with every state 1, as the program makes them, and
// the starting weights drawn from this thread's random source in the
// program's order: row by row, ((r / 32767) × 2 - 1) / √((L + U) / 2).
Plain_Network Make_Plain_Network(const std::vector<Layer_Shape>& shapes);
// The same states and weights as the test network. Draws nothing.
Plain_Network Plain_Copy(const Test_Network& network);

// The rules on connection c of the network.
void Plain_Sample_Up(Plain_Network& network, int32_t c);
void Plain_Sample_Down(Plain_Network& network, int32_t c);
void Plain_Update_Positive(Plain_Network& network, int32_t c, double learning_rate);
void Plain_Update_Negative(Plain_Network& network, int32_t c, double learning_rate);

// The worker's training step of pass p: the pattern into layer 0, sampled
// up through connections 0 to p, then Update_Positive, Sample_Down and
// Update_Negative of connection p.
void Plain_Training_Step(Plain_Network& network, int32_t p, const Pattern& input, double learning_rate);
