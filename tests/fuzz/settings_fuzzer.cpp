// libFuzzer target: arbitrary bytes as settings.txt. See README.md.
#include "fuzz_inputs.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto problem = Run_Settings_Input(data, size)) {
        std::fprintf(stderr, "settings input: %s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
