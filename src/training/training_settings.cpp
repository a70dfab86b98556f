#include "training/training_settings.h"

#include "current_directory.h"
#include "platform.h"
#include "training/formatted_text.h"
#include "training/training_image_file.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>

namespace {

constexpr double gibibyte = 1024.0 * 1024.0 * 1024.0;

}  // namespace

int32_t Word_To_Integer(const std::string& word) {
    const long long value = std::strtoll(word.c_str(), nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

Training_Settings Read_Training_Settings_From(std::istream& words) {
    // One string receives every word; a failed extraction leaves it as the
    // previous one left it.
    std::string word;
    Training_Settings settings;
    int32_t* integers[] = {&settings.layer1_width,  &settings.layer1_height,          &settings.layer2_width,
                           &settings.layer2_height, &settings.redraw_during_training, &settings.images_per_connection};
    for (int32_t* field : integers) {
        words >> word;
        *field = Word_To_Integer(word);
    }
    words >> word;
    settings.learning_rate = std::atof(word.c_str());
    return settings;
}

Training_Settings Read_Training_Settings(bool* file_found) {
    std::ifstream file(Path_In_Current_Directory(Settings_File_Name));
    if (file_found != nullptr) *file_found = file.is_open();
    if (!file.is_open()) MessageBoxA(nullptr, "Settings data not found", "", MB_OK);
    return Read_Training_Settings_From(file);
}

double Memory_Needed_Bytes(const Training_Settings& settings) {
    const double input = Image_Size;
    const double layer1 = static_cast<double>(settings.layer1_width) * settings.layer1_height;
    const double layer2 = static_cast<double>(settings.layer2_width) * settings.layer2_height;
    // Each weight takes a number in its row, another in the transpose,
    // and a 32-bit pixel in each of its picture's two bitmaps (the one shown
    // and the one painted next): 24 bytes. Each row, of the matrix and of its
    // transpose, fills whole cache lines of 8 numbers. Each neuron of every layer, the top one
    // included, takes its state and pixels, the rules' working storage, and
    // at most one allocated column of states (with the allocator's own
    // bookkeeping), which dominates for layers one neuron high.
    auto whole_lines = [](double numbers) { return std::ceil(numbers / 8) * 8; };
    auto connection_bytes = [&](double lower_count, double upper_count) {
        return (lower_count * whole_lines(upper_count) + upper_count * whole_lines(lower_count)) * 8 +
               lower_count * upper_count * 2 * 4;
    };
    return connection_bytes(input, layer1) + connection_bytes(layer1, layer2) + (input + layer1 + layer2) * 112;
}

std::optional<std::string> Settings_Problem(const Training_Settings& settings, uint64_t memory_bytes) {
    struct Size {
        int32_t value;
        const char* name;
        const char* word;
        int32_t least;
        const char* why;
    };
    const Size sizes[] = {
        {settings.layer1_width, "width of layer 1", "first", 1, ""},
        {settings.layer1_height, "height of layer 1", "second", 1, ""},
        {settings.layer2_width, "width of layer 2, the top layer,", "third", 4,
         ", since dreaming drives one unit in each of its first four columns"},
        {settings.layer2_height, "height of layer 2", "fourth", 1, ""},
    };
    for (const Size& size : sizes) {
        if (size.value < size.least)
            return Format("The %s is %d (the %s number in settings.txt); it must be at least %d%s.", size.name,
                          size.value, size.word, size.least, size.why);
    }
    const int64_t layer1 = static_cast<int64_t>(settings.layer1_width) * settings.layer1_height;
    const int64_t layer2 = static_cast<int64_t>(settings.layer2_width) * settings.layer2_height;
    const int64_t most = std::numeric_limits<int32_t>::max();
    if (layer1 > most || layer2 > most)
        return Format("Layer %d has %" PRId64 " neurons; a layer may have at most %" PRId64 ".", layer1 > most ? 1 : 2,
                      layer1 > most ? layer1 : layer2, most);
    const double needed = Memory_Needed_Bytes(settings);
    if (memory_bytes > 0 && needed > static_cast<double>(memory_bytes))
        return Format("Layers of %d by %d and %d by %d need %.1f GiB for their weights and pictures; "
                      "this machine has %.1f GiB of memory.",
                      settings.layer1_width, settings.layer1_height, settings.layer2_width, settings.layer2_height,
                      needed / gibibyte, static_cast<double>(memory_bytes) / gibibyte);
    return std::nullopt;
}
