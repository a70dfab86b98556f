#include "fuzz_inputs.h"

#include "network/layer_stack.h"
#include "network/random_source.h"
#include "screen/on_screen_object_manager.h"
#include "training/training_image_file.h"
#include "training/training_settings.h"
#include "training/training_worker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A directory of this process's own, made on first use and removed when the
// process exits. Each input is run inside it and the previous current
// directory is restored after, so that the fuzzer's own relative paths keep
// working.
class Private_Directory_Owner {
public:
    Private_Directory_Owner() {
        std::string pattern = (fs::temp_directory_path() / "layerdream-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("layerdream fuzz: mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~Private_Directory_Owner() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    Private_Directory_Owner(const Private_Directory_Owner&) = delete;
    Private_Directory_Owner& operator=(const Private_Directory_Owner&) = delete;

    fs::path path;
};

const fs::path& Private_Directory() {
    static const Private_Directory_Owner owner;
    return owner.path;
}

class In_Private_Directory {
public:
    In_Private_Directory() : previous(fs::current_path()) { fs::current_path(Private_Directory()); }
    ~In_Private_Directory() { fs::current_path(previous); }
    In_Private_Directory(const In_Private_Directory&) = delete;
    In_Private_Directory& operator=(const In_Private_Directory&) = delete;

private:
    fs::path previous;
};

void Write_File(const char* name, const std::string& bytes) {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Format(const char* pattern, auto... values) {
    char text[400];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

bool Same_Number(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

bool Same_Settings(const Training_Settings& a, const Training_Settings& b) {
    return a.layer1_width == b.layer1_width && a.layer1_height == b.layer1_height &&
           a.layer2_width == b.layer2_width && a.layer2_height == b.layer2_height &&
           a.redraw_during_training == b.redraw_during_training &&
           a.images_per_connection == b.images_per_connection && Same_Number(a.learning_rate, b.learning_rate);
}

int64_t Neurons(int32_t width, int32_t height) { return static_cast<int64_t>(width) * height; }

// Every state of every layer is 0 or 1.
std::optional<std::string> Check_States(const Layer_Stack& stack) {
    for (int32_t i = 0; i < stack.layer_count; ++i) {
        const Neuron_Layer& layer = *stack.layers[i];
        for (int32_t x = 0; x < layer.width; ++x)
            for (int32_t y = 0; y < layer.height; ++y)
                if (layer.columns[x][y] != 0 && layer.columns[x][y] != 1)
                    return Format("layer %d holds the state %d at (%d, %d)", i, layer.columns[x][y], x, y);
    }
    return std::nullopt;
}

// The worker's stages as the thread runs them, on a network with no window,
// in the current directory: settings, images, the three layers, training
// (with at most max_steps images per connection) and two dreaming cycles.
// Nothing if the run went as it should.
std::optional<std::string> Run_Worker(int32_t max_steps) {
    On_Screen_Object_Manager manager;
    Layer_Stack stack;
    stack.manager = &manager;  // no window: every repaint is a no-op
    Worker_Stop stop;
    Training_Worker_Argument argument{nullptr, &stack, &stop};
    std::optional<std::string> problem;
    Set_Random_State(1);  // each input draws the same numbers, whatever ran before it
    {
        Training_Run run(argument);
        if (!run.Read_Settings()) {
            problem = "the worker refused settings that were checked and found runnable";
        } else if (!run.Build()) {
            problem = "the worker did not build the network";
        } else if (stack.layer_count != 3) {
            problem = Format("the worker built %d layers", stack.layer_count);
        } else {
            run.settings.images_per_connection = std::min(run.settings.images_per_connection, max_steps);
            if (!run.Train()) problem = "the worker did not finish training";
            if (!problem) problem = Check_States(stack);
            if (!problem) {
                run.Dream_Cycle();
                run.Dream_Cycle();
                problem = Check_States(stack);
            }
        }
    }
    Destroy_Network(stack);
    return problem;
}

// What a stream reading the image file must give, step by step: the
// position, whether a read has failed, and the image buffer.
struct Image_File_Model {
    explicit Image_File_Model(const std::string& file_bytes) : bytes(file_bytes), buffer(Image_Size, 0) {
        if (bytes.size() >= 16) {
            position = 16;
        } else {
            position = bytes.size();
            failed = true;
        }
    }
    void Rewind() {
        if (failed)
            failed = false;  // cleared, but left where it is
        else
            position = 16;
    }
    void Read() {
        if (failed) return;
        const size_t left = bytes.size() - position;
        const size_t taken = std::min<size_t>(left, Image_Size);
        std::memcpy(buffer.data(), bytes.data() + position, taken);
        position += taken;
        if (taken < static_cast<size_t>(Image_Size)) failed = true;
    }

    const std::string& bytes;
    size_t position = 0;
    bool failed = false;
    std::vector<uint8_t> buffer;
};

// The input layer shows the model's buffer: state (c, r) is 1 exactly where
// byte r × 28 + c is 128 or more.
std::optional<std::string> Check_Input(const Neuron_Layer& input, const Image_File_Model& model, int read) {
    for (int r = 0; r < Image_Side; ++r)
        for (int c = 0; c < Image_Side; ++c) {
            const int expected = model.buffer[static_cast<size_t>(r * Image_Side + c)] >= 128 ? 1 : 0;
            if (input.columns[c][r] != expected)
                return Format("after read %d the input state at (%d, %d) is %d, not %d", read, c, r,
                              input.columns[c][r], expected);
        }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Run_Settings_Input(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream words(bytes);
    const Training_Settings settings = Read_Training_Settings_From(words);

    In_Private_Directory here;
    Write_File(Settings_File_Name, bytes);
    bool found = false;
    const Training_Settings from_file = Read_Training_Settings(&found);
    if (!found) return "settings.txt was written but not found";
    if (!Same_Settings(settings, from_file)) return "the file and a stream of its bytes give different settings";

    // The sizes the network needs, with memory unchecked and with a small
    // amount: a refusal stands whatever the memory, and what is accepted
    // can be built.
    constexpr uint64_t small_memory = 64ull << 20;
    const auto unchecked = Settings_Problem(settings, 0);
    const auto checked = Settings_Problem(settings, small_memory);
    if (unchecked && !checked) return "settings refused with memory unchecked were accepted with it checked";
    if (unchecked && unchecked->empty()) return "a refusal without a reason";
    if (checked && checked->empty()) return "a refusal without a reason";
    const int64_t most = std::numeric_limits<int32_t>::max();
    const int64_t layer1 = Neurons(settings.layer1_width, settings.layer1_height);
    const int64_t layer2 = Neurons(settings.layer2_width, settings.layer2_height);
    if (!unchecked) {
        if (settings.layer1_width < 1 || settings.layer1_height < 1 || settings.layer2_width < 4 ||
            settings.layer2_height < 1)
            return Format("accepted layers of %d by %d and %d by %d", settings.layer1_width, settings.layer1_height,
                          settings.layer2_width, settings.layer2_height);
        if (layer1 > most || layer2 > most) return "accepted a layer of more neurons than a 32-bit count holds";
    }
    if (!checked) {
        const double weights = static_cast<double>(Image_Size * layer1 + layer1 * layer2);
        if (weights * 16 > static_cast<double>(small_memory))
            return Format("accepted %.0f weights in %llu bytes", weights,
                          static_cast<unsigned long long>(small_memory));
    }

    // Small networks are run, with whatever learning rate, redraw switch and
    // image count (at most a few steps) the input gives.
    if (!checked && layer1 <= 64 && layer2 <= 64) {
        std::string images = std::string("\0\0\x08\x03\0\0\0\x02\0\0\0\x1c\0\0\0\x1c", 16);
        for (int k = 0; k < 2 * Image_Size; ++k) images.push_back(static_cast<char>((k * 37) % 256));
        Write_File(Training_Images_File_Name, images);
        return Run_Worker(4);
    }
    return std::nullopt;
}

std::optional<std::string> Run_Training_Images_Input(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    In_Private_Directory here;
    Write_File(Training_Images_File_Name, bytes);

    // The reader alone, against the model of its stream: two connections'
    // worth of reads, each after a rewind.
    {
        Training_Image_File images;
        images.Open_Training_Images();
        const std::streamoff expected_start = size >= 16 ? 16 : -1;
        if (images.data_start != expected_start)
            return Format("the images start at %lld, not %lld", static_cast<long long>(images.data_start),
                          static_cast<long long>(expected_start));
        Neuron_Layer input;
        input.Create(Image_Side, Image_Side);
        Image_File_Model model(bytes);
        int read = 0;
        for (int pass = 0; pass < 2; ++pass) {
            images.Rewind_Training_Images();
            model.Rewind();
            for (int step = 0; step < 3; ++step) {
                images.Read_Next_Image(input);
                model.Read();
                if (auto problem = Check_Input(input, model, ++read)) return problem;
            }
        }
    }

    // The worker on it: the smallest network it runs, so that many inputs
    // are tried a second. It is not redrawn after every image (the settings
    // fuzzer covers that), only when it dreams.
    Write_File(Settings_File_Name, "1 1 4 1 0 4 0.25\n");
    return Run_Worker(4);
}
