#include "support/test_network.h"

#include "network/random_source.h"
#include "network/weight_row_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

void Rule_Variant::Apply(Layer_Connection& connection) const {
    if (!connection.Use_Kernel_Set(kernels))
        throw std::runtime_error(std::string("this processor has no ") + Kernel_Set_Name(kernels) + " kernels");
}

std::string Rule_Variant::Name() const { return Kernel_Set_Name(kernels); }

Rule_Variant Program_Variant() { return {Widest_Kernel_Set()}; }

Rule_Variant Variant_Of(const Layer_Connection& connection) { return {connection.Kernels()}; }

void PrintTo(const Rule_Variant& variant, std::ostream* out) { *out << variant.Name(); }

Test_Network Make_Network(const std::vector<Layer_Shape>& shapes, const Rule_Variant& variant) {
    Test_Network network;
    for (const Layer_Shape& shape : shapes) {
        auto layer = std::make_unique<Neuron_Layer>();
        layer->Create(shape.width, shape.height);
        network.layers.push_back(std::move(layer));
        if (network.layers.size() >= 2) {
            auto connection = std::make_unique<Layer_Connection>();
            connection->Create(network.layers[network.layers.size() - 2].get(), network.layers.back().get());
            variant.Apply(*connection);
            network.connections.push_back(std::move(connection));
        }
    }
    return network;
}

Test_Network Copy_Network(const Test_Network& original) {
    return Copy_Network(original,
                        original.connections.empty() ? Program_Variant() : Variant_Of(*original.connections[0]));
}

Test_Network Copy_Network(const Test_Network& original, const Rule_Variant& variant) {
    std::vector<Layer_Shape> shapes;
    for (const auto& layer : original.layers) shapes.push_back({layer->width, layer->height});
    const uint32_t random_state = Random_State();
    Test_Network copy = Make_Network(shapes, variant);
    Set_Random_State(random_state);
    for (size_t i = 0; i < shapes.size(); ++i) {
        const Neuron_Layer& from = *original.layers[i];
        Neuron_Layer& to = *copy.layers[i];
        for (int32_t x = 0; x < from.width; ++x)
            std::memcpy(to.columns[x].get(), from.columns[x].get(), static_cast<size_t>(from.height));
    }
    for (size_t i = 0; i < original.connections.size(); ++i) {
        const Layer_Connection& from = *original.connections[i];
        Layer_Connection& to = *copy.connections[i];
        for (int32_t l = 0; l < from.Lower_Count(); ++l)
            for (int32_t u = 0; u < from.Upper_Count(); ++u) to.Set_Weight(l, u, from.weights[l][u].weight);
    }
    return copy;
}

Small_Connection::Small_Connection(int32_t lower_count, int32_t upper_count, const Rule_Variant& variant) {
    lower.Create(1, lower_count);
    upper.Create(1, upper_count);
    connection.Create(&lower, &upper);
    variant.Apply(connection);
}

Small_Connection::~Small_Connection() {
    connection.Destroy();
    lower.Destroy();
    upper.Destroy();
}

bool Same_States(const Neuron_Layer& a, const Neuron_Layer& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int32_t x = 0; x < a.width; ++x)
        if (std::memcmp(a.columns[x].get(), b.columns[x].get(), static_cast<size_t>(a.height)) != 0) return false;
    return true;
}

bool Same_Weights(const Layer_Connection& a, const Layer_Connection& b) {
    if (a.Lower_Count() != b.Lower_Count() || a.Upper_Count() != b.Upper_Count()) return false;
    const size_t row_bytes = sizeof(Weight_Cell) * static_cast<size_t>(a.Upper_Count());
    for (int32_t l = 0; l < a.Lower_Count(); ++l)
        if (std::memcmp(a.weights[l], b.weights[l], row_bytes) != 0) return false;
    return true;
}

std::string First_Difference(const Test_Network& a, const Test_Network& b) {
    char text[300];
    if (a.layers.size() != b.layers.size()) return "different numbers of layers";
    for (size_t i = 0; i < a.layers.size(); ++i) {
        const Neuron_Layer& la = *a.layers[i];
        const Neuron_Layer& lb = *b.layers[i];
        if (la.width != lb.width || la.height != lb.height) return "layer " + std::to_string(i) + " has other sizes";
        for (int32_t x = 0; x < la.width; ++x)
            for (int32_t y = 0; y < la.height; ++y)
                if (la.columns[x][y] != lb.columns[x][y]) {
                    std::snprintf(text, sizeof text, "layer %zu state (%d, %d): %d against %d", i, x, y,
                                  la.columns[x][y], lb.columns[x][y]);
                    return text;
                }
    }
    for (size_t i = 0; i < a.connections.size(); ++i) {
        const Layer_Connection& ca = *a.connections[i];
        const Layer_Connection& cb = *b.connections[i];
        for (int32_t l = 0; l < ca.Lower_Count(); ++l)
            for (int32_t u = 0; u < ca.Upper_Count(); ++u)
                if (std::memcmp(&ca.weights[l][u], &cb.weights[l][u], sizeof(Weight_Cell)) != 0) {
                    uint64_t bits_a;
                    uint64_t bits_b;
                    std::memcpy(&bits_a, &ca.weights[l][u].weight, sizeof bits_a);
                    std::memcpy(&bits_b, &cb.weights[l][u].weight, sizeof bits_b);
                    std::snprintf(text, sizeof text,
                                  "connection %zu weight [%d][%d]: %.17g (%016llx) against %.17g (%016llx)", i, l, u,
                                  ca.weights[l][u].weight, static_cast<unsigned long long>(bits_a),
                                  cb.weights[l][u].weight, static_cast<unsigned long long>(bits_b));
                    return text;
                }
    }
    return "";
}

uint32_t Random_State_Before(int draw) {
    // The generator steps state × 214013 + 2531011 and draws bits 16 to 30
    // of the new state. Pick the new state with those bits, and step back:
    // 214013 is odd, so it has an inverse modulo 2^32 (Newton's iteration
    // doubles the correct low bits each round).
    constexpr uint32_t multiplier = 214013u;
    uint32_t inverse = multiplier;
    for (int round = 0; round < 5; ++round) inverse *= 2u - multiplier * inverse;
    const uint32_t next = static_cast<uint32_t>(draw) << 16;
    return (next - 2531011u) * inverse;
}

namespace {

// A small generator of its own, so that making patterns never touches the
// model's random source and gives the same patterns on every platform.
class Pattern_Random {
public:
    explicit Pattern_Random(uint32_t seed) : state(seed * 2654435761u + 0x9E3779B9u) {}
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // A number from low to high.
    double Between(double low, double high) { return low + (high - low) * (Next() % 100001) / 100000.0; }

private:
    uint32_t state;
};

struct Point {
    double x;
    double y;
};

// Marks every neuron whose centre lies within radius of the point.
void Stamp(Pattern& pattern, int32_t width, int32_t height, Point at, double radius) {
    const int32_t x0 = std::max(0, static_cast<int32_t>(std::floor(at.x - radius)));
    const int32_t x1 = std::min(width - 1, static_cast<int32_t>(std::ceil(at.x + radius)));
    const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(at.y - radius)));
    const int32_t y1 = std::min(height - 1, static_cast<int32_t>(std::ceil(at.y + radius)));
    for (int32_t x = x0; x <= x1; ++x)
        for (int32_t y = y0; y <= y1; ++y) {
            const double dx = x + 0.5 - at.x;
            const double dy = y + 0.5 - at.y;
            if (dx * dx + dy * dy <= radius * radius) pattern[static_cast<size_t>(x) * height + y] = 1;
        }
}

}  // namespace

Pattern Stroke_Pattern(int32_t width, int32_t height, uint32_t seed) {
    Pattern pattern(static_cast<size_t>(width) * height, 0);
    if (width <= 0 || height <= 0) return pattern;
    Pattern_Random random(seed);
    const double scale = std::min(width, height) / 28.0;
    const double pen = std::max(0.5, 1.7 * scale);
    const int strokes = 1 + static_cast<int>(random.Next() % 2);
    for (int s = 0; s < strokes; ++s) {
        // Alternately an arc round a point near the middle and a straight bar,
        // as the parts of hand-written digits are.
        const Point centre{width * random.Between(0.35, 0.65), height * random.Between(0.35, 0.65)};
        const int samples = 64;
        if (random.Next() % 2 == 0) {
            const double radius = std::min(width, height) * random.Between(0.12, 0.28);
            const double start = random.Between(0, 6.2832);
            const double sweep = random.Between(2.0, 5.5);
            for (int k = 0; k <= samples; ++k) {
                const double angle = start + sweep * k / samples;
                Stamp(pattern, width, height, {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)},
                      pen);
            }
        } else {
            const double length = std::min(width, height) * random.Between(0.3, 0.6);
            const double angle = random.Between(0, 3.1416);
            const Point from{centre.x - length / 2 * std::cos(angle), centre.y - length / 2 * std::sin(angle)};
            for (int k = 0; k <= samples; ++k)
                Stamp(pattern, width, height,
                      {from.x + length * std::cos(angle) * k / samples, from.y + length * std::sin(angle) * k / samples},
                      pen);
        }
    }
    return pattern;
}

Pattern Blob_Pattern(int32_t width, int32_t height, uint32_t seed) {
    Pattern pattern(static_cast<size_t>(width) * height, 0);
    if (width <= 0 || height <= 0) return pattern;
    Pattern_Random random(seed);
    const int blobs = 1 + static_cast<int>(random.Next() % 3);
    for (int b = 0; b < blobs; ++b) {
        const Point centre{width * random.Between(0.2, 0.8), height * random.Between(0.2, 0.8)};
        Stamp(pattern, width, height, centre, std::max(0.5, std::min(width, height) * random.Between(0.08, 0.25)));
    }
    return pattern;
}

Pattern Uniform_Pattern(int32_t width, int32_t height, uint8_t state) {
    return Pattern(static_cast<size_t>(width) * height, state);
}

void Load_Pattern(Neuron_Layer& layer, const Pattern& pattern) {
    for (int32_t x = 0; x < layer.width; ++x)
        for (int32_t y = 0; y < layer.height; ++y)
            layer.columns[x][y] = static_cast<Neuron_State>(pattern[static_cast<size_t>(x) * layer.height + y]);
}

Rule_Set Program_Rules() {
    Rule_Set rules = Program_Rules_Step_By_Step();
    rules.learn_from_sample = [](Layer_Connection& c, double rate) { c.Learn_From_Sample(rate); };
    return rules;
}

Rule_Set Program_Rules_Step_By_Step() {
    return Rule_Set{
        [](Layer_Connection& c) { c.Sample_Up(); },
        [](Layer_Connection& c) { c.Sample_Down(); },
        [](Layer_Connection& c, double rate) { c.Update_Positive(rate); },
        [](Layer_Connection& c, double rate) { c.Update_Negative(rate); },
    };
}

void Learn_From_Sample(const Rule_Set& rules, Layer_Connection& connection, double learning_rate) {
    if (rules.learn_from_sample != nullptr) {
        rules.learn_from_sample(connection, learning_rate);
        return;
    }
    rules.update_positive(connection, learning_rate);
    rules.sample_down(connection);
    rules.update_negative(connection, learning_rate);
}

void Training_Step(Test_Network& network, const Rule_Set& rules, int32_t p, const Pattern& input,
                   double learning_rate) {
    Load_Pattern(*network.layers[0], input);
    for (int32_t c = 0; c <= p; ++c) rules.sample_up(*network.connections[c]);
    Learn_From_Sample(rules, *network.connections[p], learning_rate);
}
