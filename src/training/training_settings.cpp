#include "training/training_settings.h"

#include "current_directory.h"
#include "platform.h"

#include <cstdlib>
#include <fstream>
#include <limits>

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
