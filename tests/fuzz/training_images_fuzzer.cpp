// libFuzzer target: arbitrary bytes as the training image file. See README.md.
#include "fuzz_inputs.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto problem = Run_Training_Images_Input(data, size)) {
        std::fprintf(stderr, "training images input: %s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
