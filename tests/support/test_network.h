// Networks for the tests and the benchmark of the model's rules: a stack of
// layers and connections without a window, exact copies of one, image-like
// input patterns and the worker's training step, run with either the
// program's rules or another set of the four rules.
#pragma once

#include "network/layer_connection.h"
#include "network/neuron_layer.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// How a network's connections run their fast rules: with which kernel set.
struct Rule_Variant {
    Kernel_Set kernels;

    // Gives a built connection this variant's rules; throws if the
    // processor cannot run them.
    void Apply(Layer_Connection& connection) const;
    std::string Name() const;
};

// The rules as the program runs them.
Rule_Variant Program_Variant();
// The variant a connection runs.
Rule_Variant Variant_Of(const Layer_Connection& connection);

void PrintTo(const Rule_Variant& variant, std::ostream* out);

struct Layer_Shape {
    int32_t width;
    int32_t height;
};

struct Test_Network {
    std::vector<std::unique_ptr<Neuron_Layer>> layers;
    std::vector<std::unique_ptr<Layer_Connection>> connections;
};

// Builds the layers bottom-up and a connection between each pair of
// neighbours, drawing the starting weights from this thread's random source
// in the same order as the program's layer stack does.
Test_Network Make_Network(const std::vector<Layer_Shape>& shapes, const Rule_Variant& variant = Program_Variant());

// A network with the same sizes, states, weights (bit for bit) and rules,
// or the rules of the given variant. Draws nothing: the random source is
// left as it was.
Test_Network Copy_Network(const Test_Network& original);
Test_Network Copy_Network(const Test_Network& original, const Rule_Variant& variant);

// A lower layer of one column and an upper layer of one column, joined.
struct Small_Connection {
    Small_Connection(int32_t lower_count, int32_t upper_count, const Rule_Variant& variant = Program_Variant());
    ~Small_Connection();
    Neuron_Layer lower;
    Neuron_Layer upper;
    Layer_Connection connection;
};

// True if both networks have the same sizes and the same states and weight
// cells bit for bit (a NaN matches only a NaN of the same bits).
bool Same_States(const Neuron_Layer& a, const Neuron_Layer& b);
bool Same_Weights(const Layer_Connection& a, const Layer_Connection& b);

// Where two networks first differ ("" if they do not): the layer or
// connection, the position and both values, for test messages.
std::string First_Difference(const Test_Network& a, const Test_Network& b);

// A state of the random source from which the next draw is the given one
// (0 to 32767), for tests of what each draw makes of a neuron.
uint32_t Random_State_Before(int draw);

// A binary input pattern for a layer, one byte per neuron in neuron index
// order (x × height + y), each 0 or 1.
using Pattern = std::vector<uint8_t>;

// Digit-like strokes: a few thick lines and arcs, with about 10 to 20 % of
// the neurons on for a 28 by 28 layer. Smaller layers get proportionally
// thinner strokes. The same seed gives the same pattern everywhere.
Pattern Stroke_Pattern(int32_t width, int32_t height, uint32_t seed);
// One or a few round blobs.
Pattern Blob_Pattern(int32_t width, int32_t height, uint32_t seed);
Pattern Uniform_Pattern(int32_t width, int32_t height, uint8_t state);

// Puts the pattern into the layer's states, as the worker reads an image.
void Load_Pattern(Neuron_Layer& layer, const Pattern& pattern);

// One set of the four rules, and optionally the learning half of a training
// step in one operation (update_positive, sample_down and update_negative
// with one rate), as the worker runs it.
struct Rule_Set {
    void (*sample_up)(Layer_Connection&);
    void (*sample_down)(Layer_Connection&);
    void (*update_positive)(Layer_Connection&, double);
    void (*update_negative)(Layer_Connection&, double);
    void (*learn_from_sample)(Layer_Connection&, double) = nullptr;
};

// The program's own rules, the members of Layer_Connection, with the
// worker's Learn_From_Sample for the learning half of a training step.
Rule_Set Program_Rules();
// The same with that half run as the three separate operations.
Rule_Set Program_Rules_Step_By_Step();

// The learning half of a training step on one connection whose upper layer
// holds its sample: the set's learn_from_sample, or else its
// update_positive, sample_down and update_negative in a row.
void Learn_From_Sample(const Rule_Set& rules, Layer_Connection& connection, double learning_rate);

// The worker's training step of pass p: the pattern into layer 0, sampled up
// through connections 0 to p, the positive update of connection p, its lower
// layer sampled down again and the negative update (the set's
// learn_from_sample where it has one).
void Training_Step(Test_Network& network, const Rule_Set& rules, int32_t p, const Pattern& input,
                   double learning_rate);
