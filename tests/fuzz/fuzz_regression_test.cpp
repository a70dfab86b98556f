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

using Run = std::optional<std::string> (*)(const uint8_t*, size_t);

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

void Run_All(Run run, const std::vector<fs::path>& files) {
    for (const fs::path& file : files) {
        std::ifstream stream(file, std::ios::binary);
        ASSERT_TRUE(stream.is_open()) << file;
        const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        const auto problem = run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_FALSE(problem.has_value()) << file << ": " << problem.value_or("");
    }
}

TEST(Fuzz_Regression, SettingsInputs) {
    const auto seeds = Inputs("corpus", "settings");
    EXPECT_GE(seeds.size(), 5u);  // the corpus is there: the test looks at something
    Run_All(Run_Settings_Input, seeds);
    Run_All(Run_Settings_Input, Inputs("regressions", "settings"));
}

TEST(Fuzz_Regression, TrainingImagesInputs) {
    const auto seeds = Inputs("corpus", "images");
    EXPECT_GE(seeds.size(), 5u);
    Run_All(Run_Training_Images_Input, seeds);
    Run_All(Run_Training_Images_Input, Inputs("regressions", "images"));
}

}  // namespace
