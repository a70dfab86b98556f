// libFuzzer target: arbitrary bytes as settings.txt, run through the worker's
// stages. Slow; see README.md.
#include "fuzz_inputs.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto problem = Run_Settings_Stages_Input(data, size)) {
        std::fprintf(stderr, "settings input through the worker's stages: %s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
