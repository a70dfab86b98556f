// Every input kept for the fuzzers, the seed corpus and the inputs that once
// went wrong, run again through what the fuzzers do with it. The seed corpus
// is also the table of bad input files: corpus/expected-outcomes.txt says of
// each file whether the program refuses it, and with what message, or runs
// with it, and each file is checked against its line.
#include "fuzz_inputs.h"

#include "physical_memory.h"
#include "support/files.h"
#include "training/training_settings.h"
#include "training/training_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Input_Check = std::optional<std::string> (*)(const uint8_t*, size_t);

const fs::path fuzz_directory = LAYERDREAM_FUZZ_DIRECTORY;

// The files of tests/fuzz/<folder>/<kind>, in name order; README files are
// notes, not inputs.
std::vector<fs::path> Inputs(const char* folder, const char* kind) {
    std::vector<fs::path> files;
    const fs::path directory = fuzz_directory / folder / kind;
    if (!fs::is_directory(directory)) return files;
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.is_regular_file() && entry.path().filename().string().rfind("README", 0) != 0)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string Bytes_Of(const fs::path& file) {
    const std::vector<uint8_t> bytes = Read_File(file);
    return std::string(bytes.begin(), bytes.end());
}

void Run_All(Input_Check check, const std::vector<fs::path>& files) {
    for (const fs::path& file : files) {
        const std::string bytes = Bytes_Of(file);
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

// ------------------------------------------------------------ the table of bad input files

struct Expected_Outcome {
    std::string outcome;  // "refused" or "runs"
    std::string named;    // for a refusal: what its message must contain
};

// The lines of corpus/expected-outcomes.txt by file ("settings/empty"):
// the file, the outcome and the rest of the line; "#" starts a comment.
std::map<std::string, Expected_Outcome> Expected_Outcomes() {
    std::map<std::string, Expected_Outcome> table;
    std::istringstream lines(Bytes_Of(fuzz_directory / "corpus" / "expected-outcomes.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string file;
        Expected_Outcome expected;
        fields >> file >> expected.outcome >> std::ws;
        std::getline(fields, expected.named);
        EXPECT_TRUE(table.emplace(file, expected).second) << "two lines for " << file;
    }
    return table;
}

// A settings file is refused with one message, before anything is built,
// naming the value it cannot run with, or it runs: its network is built,
// trained and dreamt. (That the worker shows the refusal in one box and
// builds nothing: worker_thread_test.cpp. The runs of the small ones
// through the worker's stages: SettingsInputs above.) Sizes are checked
// against this machine's memory, as the worker checks them.
TEST(Bad_Input_Table, EverySettingsFileIsRefusedNamingWhyOrRuns) {
    auto table = Expected_Outcomes();
    for (const fs::path& file : Inputs("corpus", "settings")) {
        const std::string name = "settings/" + file.filename().string();
        SCOPED_TRACE(name);
        const auto expected = table.find(name);
        ASSERT_NE(expected, table.end()) << "no line in expected-outcomes.txt";
        std::istringstream words(Bytes_Of(file));
        const auto problem = Settings_Problem(Read_Training_Settings_From(words), Physical_Memory_Bytes());
        if (expected->second.outcome == "refused") {
            ASSERT_TRUE(problem.has_value()) << "runs";
            EXPECT_NE(problem->find(expected->second.named), std::string::npos) << *problem;
        } else {
            EXPECT_EQ(expected->second.outcome, "runs");
            EXPECT_EQ(problem, std::nullopt);
        }
        table.erase(expected);
    }

    // An image file, however short, long or cut, is never refused: the
    // network trains and dreams on what can be read (the reads themselves
    // against the model of the stream: TrainingImagesInputs above).
    for (const fs::path& file : Inputs("corpus", "images")) {
        const std::string name = "images/" + file.filename().string();
        SCOPED_TRACE(name);
        const auto expected = table.find(name);
        ASSERT_NE(expected, table.end()) << "no line in expected-outcomes.txt";
        EXPECT_EQ(expected->second.outcome, "runs");
        const std::string bytes = Bytes_Of(file);
        const auto problem = Run_Training_Images_Stages_Input(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_FALSE(problem.has_value()) << problem.value_or("");
        table.erase(expected);
    }

    for (const auto& [name, expected] : table) ADD_FAILURE() << "a line for " << name << ", which is no corpus file";
}

}  // namespace
