// Every input kept for the fuzzers, the seed corpus and the inputs that once
// went wrong, run again through what the fuzzers do with it.
#include "fuzz_inputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Input_Check = std::optional<std::string> (*)(const uint8_t*, size_t);

// The files of tests/fuzz/<folder>/<kind>, in name order; README files are
// notes, not inputs.
std::vector<fs::path> Inputs(const char* folder, const char* kind) {
    std::vector<fs::path> files;
    const fs::path directory = fs::path(LAYERDREAM_FUZZ_DIRECTORY) / folder / kind;
    if (!fs::is_directory(directory)) return files;
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.is_regular_file() && entry.path().filename().string().rfind("README", 0) != 0)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void Run_All(Input_Check check, const std::vector<fs::path>& files) {
    for (const fs::path& file : files) {
        std::ifstream stream(file, std::ios::binary);
        ASSERT_TRUE(stream.is_open()) << file;
        const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        const auto problem = check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_FALSE(problem.has_value()) << file << ": " << problem.value_or("");
    }
}

TEST(Fuzz_Regression, SettingsInputs) {
    const auto seeds = Inputs("corpus", "settings");
    EXPECT_GE(seeds.size(), 5u);  // the corpus is there: the test looks at something
    const auto regressions = Inputs("regressions", "settings");
    // In memory against the model, and as a file through the worker's stages.
    for (Input_Check check : {Run_Settings_Input, Run_Settings_Stages_Input}) {
        Run_All(check, seeds);
        Run_All(check, regressions);
    }
}

TEST(Fuzz_Regression, TrainingImagesInputs) {
    const auto seeds = Inputs("corpus", "images");
    EXPECT_GE(seeds.size(), 5u);
    const auto regressions = Inputs("regressions", "images");
    // From memory, as the fuzzer reads them, and from the file by name.
    for (Input_Check check : {Run_Training_Images_Input, Run_Training_Images_File_Input}) {
        Run_All(check, seeds);
        Run_All(check, regressions);
    }
}

}  // namespace
