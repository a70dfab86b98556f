// Bad input files, as a user may leave them, through the worker's own stages
// with no window: each settings file is either refused with one message that
// names the value, before anything is built, or run, training and dreaming
// with every state 0 or 1; each image file, however short or long, trains
// and dreams. And a current directory deeper than the system opens paths by
// still has its files read and its pictures exported.
#include "training/training_worker.h"

#include "current_directory.h"
#include "support/temporary_directory.h"
#include "message_box_support.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace training_test;
namespace fs = std::filesystem;

// The bytes of a literal, NUL bytes included.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

bool States_Are_Binary(const Layer_Stack& stack) {
    for (int32_t i = 0; i < stack.layer_count; ++i) {
        const Neuron_Layer& layer = *stack.layers[i];
        for (int32_t x = 0; x < layer.width; ++x)
            for (int32_t y = 0; y < layer.height; ++y)
                if (layer.columns[x][y] != 0 && layer.columns[x][y] != 1) return false;
    }
    return true;
}

// What became of one run of the worker's stages in the current directory.
struct Outcome {
    std::vector<std::string> boxes;  // the texts of the message boxes shown, in order
    bool refused = false;            // the settings were refused
    bool trained = false;            // training ended and two dreaming cycles followed
    bool binary_states = false;      // every state 0 or 1 at the end
    int32_t layer_count = 0;
    std::vector<int> last_input;     // layer 0's states after training, in image byte order
};

// Runs the worker's stages headless; a box it shows is read and dismissed.
// At most max_steps images per connection are trained.
Outcome Run_Worker_Stages(int32_t max_steps = 5) {
    Outcome outcome;
    Headless_Network network;
    Training_Worker_Argument argument{nullptr, &network.stack, nullptr};
    Training_Run run(argument);
    Test_Window window(DefWindowProcA);
    {
        Background_Call stages([&] {
            if (!run.Read_Settings()) {
                outcome.refused = true;
            } else if (run.Build()) {
                run.settings.images_per_connection = std::min(run.settings.images_per_connection, max_steps);
                if (run.Train()) {
                    for (int r = 0; r < Image_Side; ++r)
                        for (int c = 0; c < Image_Side; ++c)
                            outcome.last_input.push_back(network.stack.layers[0]->columns[c][r]);
                    run.Dream_Cycle();
                    run.Dream_Cycle();
                    outcome.trained = true;
                }
            }
        });
        // Each box is recorded and dismissed as it comes, until the stages end.
        std::vector<HWND> seen;
        Pump_Messages_Until([&] {
            for (const auto& box : testing_hooks::Open_Message_Boxes()) {
                if (std::find(seen.begin(), seen.end(), box.window) != seen.end()) continue;
                seen.push_back(box.window);
                outcome.boxes.push_back(box.text);
                PostMessageA(box.window, WM_CLOSE, 0, 0);
            }
            return stages.Done();
        }, std::chrono::seconds(60));
        EXPECT_TRUE(stages.Done());
    }
    outcome.layer_count = network.stack.layer_count;
    outcome.binary_states = States_Are_Binary(network.stack);
    return outcome;
}

// ------------------------------------------------------------------ settings files

struct Bad_Settings {
    const char* name;
    std::string bytes;
    // For a refusal: what its one message must contain; empty: the settings run.
    const char* refusal;
};

std::ostream& operator<<(std::ostream& out, const Bad_Settings& settings) { return out << settings.name; }

class Bad_Settings_File : public testing::TestWithParam<Bad_Settings> {};

TEST_P(Bad_Settings_File, IsRefusedWithOneMessageOrRunsToDreaming) {
    Temporary_Directory here;
    Write_File("settings.txt", GetParam().bytes);
    Write_Training_Images({Noise_Image(1), Noise_Image(2), Noise_Image(3)});
    const Outcome outcome = Run_Worker_Stages();
    const std::string refusal = GetParam().refusal;
    if (!refusal.empty()) {
        EXPECT_TRUE(outcome.refused);
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_NE(outcome.boxes[0].find(refusal), std::string::npos) << outcome.boxes[0];
        EXPECT_EQ(outcome.layer_count, 0);  // nothing built
    } else {
        EXPECT_FALSE(outcome.refused);
        EXPECT_EQ(outcome.boxes, std::vector<std::string>{});
        EXPECT_TRUE(outcome.trained);
        EXPECT_EQ(outcome.layer_count, 3);
        EXPECT_TRUE(outcome.binary_states);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, Bad_Settings_File,
    testing::Values(
        // An empty file, one of words that are not numbers, and a binary one
        // give zeros: the first of them is named.
        Bad_Settings{"Empty", "", "width of layer 1 is 0"},
        Bad_Settings{"NonNumeric", "ten ten eight eight yes many fast\n", "width of layer 1 is 0"},
        Bad_Settings{"Binary", Bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x1c"), "width of layer 1 is 0"},
        // Binary bytes after leading digits: the digits count.
        Bad_Settings{"BinaryAfterDigits", Bytes("6\x01\x02 4\xff 5\x80 2\0 1\x1b 3\x7f .5\xfe"), ""},
        // Fewer than seven words: the last word read fills the rest.
        Bad_Settings{"OneWord", "5\n", ""},
        Bad_Settings{"ThreeWords", "4 5 6", ""},
        Bad_Settings{"OneWordTooNarrowForDreaming", "2\n", "width of layer 2, the top layer, is 2"},
        // Negative values: sizes are refused, the rest runs.
        Bad_Settings{"NegativeWidth", "-10 10 8 8 1 5 0.1", "width of layer 1 is -10"},
        Bad_Settings{"NegativeTopHeight", "10 10 8 -8 1 5 0.1", "height of layer 2 is -8"},
        Bad_Settings{"NegativeImagesRedrawAndRate", "10 10 8 8 -1 -5 -0.5", ""},
        Bad_Settings{"NegativeRate", "3 3 4 2 1 5 -1e300", ""},
        // Zeros.
        Bad_Settings{"AllZero", "0 0 0 0 0 0 0", "width of layer 1 is 0"},
        Bad_Settings{"ZeroTopHeight", "10 10 8 0 1 5 0.1", "height of layer 2 is 0"},
        Bad_Settings{"ZeroImagesAndRate", "10 10 8 8 0 0 0", ""},
        // Huge values: sizes beyond 32-bit neuron counts are refused naming the
        // count; huge image counts and rates run (training capped by the test).
        Bad_Settings{"HugeSizes", "99999999999 99999999999 4 1 1 5 0.1", "4611686014132420609"},
        Bad_Settings{"HugeImages", "3 3 4 1 0 99999999999 0.1", ""},
        Bad_Settings{"HugeRate", "3 3 4 1 1 5 1e308", ""},
        Bad_Settings{"InfiniteRate", "3 3 4 1 1 5 inf", ""},
        Bad_Settings{"RateNotANumber", "3 3 4 1 1 5 nan", ""},
        Bad_Settings{"RateBeyondDouble", "3 3 4 1 1 5 1e999", ""}),
    [](const testing::TestParamInfo<Bad_Settings>& test) { return std::string(test.param.name); });

// ------------------------------------------------------------------ image files

struct Bad_Images {
    const char* name;
    std::string bytes;
    // The image layer 0 shows once training is over (5 steps per connection),
    // as 784 bytes; the states are these bytes from 128 on.
    std::string last_image;
};

std::ostream& operator<<(std::ostream& out, const Bad_Images& images) { return out << images.name; }

class Bad_Image_File : public testing::TestWithParam<Bad_Images> {};

TEST_P(Bad_Image_File, TrainsAndDreamsOnWhatCanBeRead) {
    Temporary_Directory here;
    Write_File("settings.txt", "6 5 4 3 1 5 0.25");
    Write_File(Training_Images_File_Name, GetParam().bytes);
    const Outcome outcome = Run_Worker_Stages();
    EXPECT_EQ(outcome.boxes, std::vector<std::string>{});
    EXPECT_TRUE(outcome.trained);
    EXPECT_TRUE(outcome.binary_states);
    ASSERT_EQ(outcome.last_input.size(), static_cast<size_t>(Image_Size));
    for (int k = 0; k < Image_Size; ++k)
        ASSERT_EQ(outcome.last_input[static_cast<size_t>(k)],
                  static_cast<uint8_t>(GetParam().last_image[static_cast<size_t>(k)]) >= 128 ? 1 : 0)
            << "byte " << k;
}

std::string Images(std::initializer_list<uint32_t> seeds) {
    std::string bytes;
    for (uint32_t seed : seeds) bytes += Bytes_Of(Noise_Image(seed));
    return bytes;
}

const std::string blank(Image_Size, '\0');

INSTANTIATE_TEST_SUITE_P(
    Matrix, Bad_Image_File,
    testing::Values(
        // Nothing to read: blank images.
        Bad_Images{"Empty", "", blank},
        Bad_Images{"ShorterThanTheHeader", std::string(10, '\xFF'), blank},
        Bad_Images{"HeaderAlone", Idx_Header(0), blank},
        // Cut inside the second image: the first 300 bytes of it over the
        // first image, presented from then on.
        Bad_Images{"CutInsideAnImage", Idx_Header(2) + Images({1}) + Images({2}).substr(0, 300),
                   Images({2}).substr(0, 300) + Images({1}).substr(300)},
        // Far more images than the 5 steps use: the fifth is the last read.
        Bad_Images{"MuchLongerThanNeeded", Idx_Header(40) + Images({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                                                                    16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27,
                                                                    28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40}),
                   Images({5})}),
    [](const testing::TestParamInfo<Bad_Images>& test) { return std::string(test.param.name); });

// ------------------------------------------------------------------ a very deep current directory

// Enters nested directories one by one until the current directory's path is
// longer than the system opens files by; leaves them, removing each, at the end.
class Deep_Directory {
public:
    Deep_Directory() {
        while (Current_Directory().size() <= PATH_MAX + 200) {
            EXPECT_EQ(mkdir(level.c_str(), 0700), 0);
            EXPECT_EQ(chdir(level.c_str()), 0);
            ++levels;
        }
    }
    ~Deep_Directory() {
        for (const auto& entry : fs::directory_iterator(".")) fs::remove(entry.path().filename());
        for (int i = 0; i < levels; ++i) {
            EXPECT_EQ(chdir(".."), 0);
            EXPECT_EQ(rmdir(level.c_str()), 0);
        }
    }
    Deep_Directory(const Deep_Directory&) = delete;
    Deep_Directory& operator=(const Deep_Directory&) = delete;

private:
    const std::string level = std::string(200, 'd');
    int levels = 0;
};

TEST(Deep_Current_Directory, ItsFilesAreReadAndItsPicturesExported) {
    Temporary_Directory here;
    Deep_Directory deep;
    ASSERT_GT(Current_Directory().size(), static_cast<size_t>(PATH_MAX));
    Write_File("settings.txt", "6 5 4 3 0 3 0.25");
    Write_Training_Images({Noise_Image(1), Noise_Image(2), Noise_Image(3)});

    Headless_Network network;
    Training_Worker_Argument argument{nullptr, &network.stack, nullptr};
    Training_Run run(argument);
    Test_Window window(DefWindowProcA);
    std::vector<std::string> boxes;
    bool built = false;
    {
        Background_Call stages([&] { built = run.Read_Settings() && run.Build() && run.Train(); });
        std::vector<HWND> seen;
        Pump_Messages_Until([&] {
            for (const auto& box : testing_hooks::Open_Message_Boxes()) {
                if (std::find(seen.begin(), seen.end(), box.window) != seen.end()) continue;
                seen.push_back(box.window);
                boxes.push_back(box.text);
                PostMessageA(box.window, WM_CLOSE, 0, 0);
            }
            return stages.Done();
        });
    }
    EXPECT_EQ(boxes, std::vector<std::string>{});  // neither file reported missing
    ASSERT_TRUE(built);
    EXPECT_EQ(run.settings.layer1_width, 6);
    EXPECT_EQ(run.images.data_start, 16);
    EXPECT_TRUE(Shows(*network.stack.layers[0], Noise_Image(3)));

    // "Output Bitmap" on the input layer's picture saves it here.
    On_Screen_Object_Bitmap& panel = network.stack.layers[0]->panel[0];
    network.stack.Show_All();
    panel.Output_Bitmap();
    std::vector<std::string> saved;
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() == ".bmp") saved.push_back(entry.path().filename().string());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(fs::file_size(saved[0]), 54u + 84u * 28u);
}

}  // namespace
