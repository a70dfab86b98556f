// Images per second of the worker's training step (without drawing), for
// the plain loops and the program's rules side by side, on networks of the
// sizes the program is run with. The plain loops are the rules written
// literally over a plain array of doubles by row, one thread
// (tests/support/plain_network.h). The program's rules run the step as the
// worker does, its learning half in one pass over the weights
// (Learn_From_Sample), and also as Update_Positive, Sample_Down and
// Update_Negative one after the other ("step_by_step").
//
// Each network is first trained for a while with the program's rules on
// digit-like strokes, so that its weights and states are those of a network
// in training; every contender then times steps on copies of it from the
// same random state, so all do the same work and reach the same states and
// weights. The summary at the end gives the program's speed as a multiple
// of the plain loops'.
#include "network/random_source.h"
#include "support/plain_network.h"
#include "support/test_network.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int32_t pattern_count = 64;
constexpr int32_t warm_up_steps = 200;
// The worker's learning rate: 0.1 at the first image, falling linearly over
// 1000 images.
constexpr double first_rate = 0.1;
constexpr int32_t images_per_connection = 1000;

double Rate_At(int32_t step) {
    const int32_t i = step % images_per_connection;
    return first_rate - (static_cast<double>(i) / images_per_connection) * first_rate;
}

const std::vector<Pattern>& Digit_Patterns() {
    static const std::vector<Pattern> patterns = [] {
        std::vector<Pattern> made;
        for (int32_t k = 0; k < pattern_count; ++k) made.push_back(Stroke_Pattern(28, 28, static_cast<uint32_t>(k)));
        return made;
    }();
    return patterns;
}

double On_Fraction(const Neuron_Layer& layer) {
    int64_t on = 0;
    for (int32_t x = 0; x < layer.width; ++x)
        for (int32_t y = 0; y < layer.height; ++y) on += layer.columns[x][y] != 0;
    const int32_t count = layer.Neuron_Count();
    return count > 0 ? static_cast<double>(on) / count : 0.0;
}

struct Network_Size {
    const char* name;
    std::vector<Layer_Shape> shapes;
};

struct Warmed {
    Test_Network network;
    uint32_t random_state;  // after the warm-up
};

// A network of that size after warm_up_steps of pass 0 and, for pass 1, as
// many again of pass 1: built once, copied for every benchmark.
const Warmed& Warmed_Network(const Network_Size& size, int32_t pass) {
    static std::map<std::string, Warmed> made;
    const std::string key = std::string(size.name) + "/" + std::to_string(pass);
    auto found = made.find(key);
    if (found != made.end()) return found->second;
    Set_Random_State(1);
    Test_Network network = Make_Network(size.shapes);
    const Rule_Set rules = Program_Rules();
    for (int32_t p = 0; p <= pass; ++p)
        for (int32_t i = 0; i < warm_up_steps; ++i)
            Training_Step(network, rules, p, Digit_Patterns()[i % pattern_count], Rate_At(i));
    const uint32_t random_state = Random_State();
    return made.emplace(key, Warmed{std::move(network), random_state}).first->second;
}

// Every contender runs the same steps from the same network and random
// state, so they do the same work: the program's rules give the plain loops'
// results bit for bit. Null rules: the plain loops.
void Time_Training_Step(benchmark::State& state, const Network_Size& size, int32_t pass, const Rule_Set* rules) {
    const Warmed& warmed = Warmed_Network(size, pass);

    // How many neurons are on in the steps timed: of the input images, and of
    // the upper layer of the trained connection after sampling up, found
    // beforehand with a short untimed run on a copy (the rules give the same
    // states whichever set runs them).
    double image_on = 0;
    double upper_on = 0;
    {
        Test_Network sample = Copy_Network(warmed.network);
        Set_Random_State(warmed.random_state);
        constexpr int32_t sampled_steps = 32;
        for (int32_t k = 0; k < sampled_steps; ++k) {
            const int32_t step = warm_up_steps + k;
            const Pattern& image = Digit_Patterns()[step % pattern_count];
            int32_t on = 0;
            for (uint8_t pixel : image) on += pixel;
            image_on += static_cast<double>(on) / static_cast<double>(image.size()) / sampled_steps;
            Training_Step(sample, Program_Rules(), pass, image, Rate_At(step));
            upper_on += On_Fraction(*sample.layers[pass + 1]) / sampled_steps;
        }
    }

    int32_t step = warm_up_steps;
    if (rules == nullptr) {
        Plain_Network network = Plain_Copy(warmed.network);
        Set_Random_State(warmed.random_state);
        for (auto _ : state) {
            Plain_Training_Step(network, pass, Digit_Patterns()[step % pattern_count], Rate_At(step));
            ++step;
        }
    } else {
        Test_Network network = Copy_Network(warmed.network);
        Set_Random_State(warmed.random_state);
        for (auto _ : state) {
            Training_Step(network, *rules, pass, Digit_Patterns()[step % pattern_count], Rate_At(step));
            ++step;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["image_on"] = image_on;
    state.counters["upper_on"] = upper_on;
}

const std::vector<Network_Size>& Sizes() {
    static const std::vector<Network_Size> sizes = {
        {"784-100-64", {{28, 28}, {10, 10}, {8, 8}}},
        {"784-500-500", {{28, 28}, {25, 20}, {25, 20}}},
        {"784-1000-1000", {{28, 28}, {40, 25}, {40, 25}}},
    };
    return sizes;
}

// The console report, then a table of the program's images per second as a
// multiple of the plain loops' for each network and pass (the median where
// the runs are repeated).
class Side_By_Side_Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!single && !median) continue;
            const auto rate = run.counters.find("items_per_second");
            if (rate == run.counters.end()) continue;
            const std::string name = run.run_name.function_name;
            const size_t slash = name.rfind('/');
            rates[name.substr(0, slash)][name.substr(slash + 1)] = rate->second.value;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-34s %10s %13s %10s %8s\n", "training step (images/s)", "plain", "step_by_step",
                    "program", "ratio");
        for (const auto& [step, by_rules] : rates) {
            auto rate = [&by_rules](const char* name) {
                const auto found = by_rules.find(name);
                return found != by_rules.end() ? found->second : 0.0;
            };
            const double plain = rate("plain");
            if (plain <= 0) continue;
            std::printf("%-34s %10.1f %13.1f %10.1f %7.2fx\n", step.c_str(), plain, rate("step_by_step"),
                        rate("program"), rate("program") / plain);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> rates;
};

}  // namespace

int main(int argc, char** argv) {
    static const Rule_Set step_by_step = Program_Rules_Step_By_Step();
    static const Rule_Set program = Program_Rules();
    struct Contender {
        const char* name;
        const Rule_Set* rules;  // null: the plain loops
    };
    const Contender contenders[] = {{"plain", nullptr}, {"step_by_step", &step_by_step}, {"program", &program}};
    for (const Network_Size& size : Sizes()) {
        for (int32_t pass = 0; pass <= 1; ++pass) {
            for (const Contender& contender : contenders) {
                const std::string name =
                    std::string("training_step/") + size.name + "/pass_" + std::to_string(pass) + "/" + contender.name;
                const Rule_Set* chosen = contender.rules;
                benchmark::RegisterBenchmark(name.c_str(),
                                             [&size, pass, chosen](benchmark::State& state) {
                                                 Time_Training_Step(state, size, pass, chosen);
                                             })
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Side_By_Side_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
