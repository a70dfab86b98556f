#include "fuzz_inputs.h"

#include "network/layer_stack.h"
#include "network/random_source.h"
#include "support/files.h"
#include "support/headless_network.h"
#include "training/training_image_file.h"
#include "training/training_settings.h"
#include "training/training_worker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A directory of this process's own, made on first use and removed when the
// process exits. Inputs that must be files are run inside it, and the
// previous current directory is restored after, so that the fuzzer's own
// relative paths keep working.
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

// ------------------------------------------------------------ settings

// The white space that ends a word of the settings text.
bool Is_Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The words each field is converted from, found by hand: words are runs of
// bytes other than white space; a field past the last word takes the last
// word again, and with no word at all every field is empty.
std::array<std::string, 7> Field_Words(const std::string& text) {
    std::array<std::string, 7> words;
    size_t found = 0;
    size_t at = 0;
    while (found < words.size()) {
        while (at < text.size() && Is_Blank(text[at])) ++at;
        if (at == text.size()) break;
        const size_t start = at;
        while (at < text.size() && !Is_Blank(text[at])) ++at;
        words[found++] = text.substr(start, at - start);
    }
    for (size_t k = std::max<size_t>(found, 1); k < words.size(); ++k) words[k] = words[k - 1];
    return words;
}

// The integer at the start of a word (which has no white space): an optional
// sign, then digits up to the first other byte (a NUL byte ends the text),
// held to the 32-bit range.
int32_t Leading_Integer(const std::string& word) {
    size_t at = 0;
    bool negative = false;
    if (at < word.size() && (word[at] == '+' || word[at] == '-')) negative = word[at++] == '-';
    constexpr int64_t beyond = int64_t{1} << 32;  // past either end of the range, and no overflow
    int64_t magnitude = 0;
    for (; at < word.size() && word[at] >= '0' && word[at] <= '9'; ++at)
        magnitude = std::min(beyond, magnitude * 10 + (word[at] - '0'));
    const int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The settings the reader gave, against the words they come from.
std::optional<std::string> Check_Settings_Read(const Training_Settings& settings, const std::string& text) {
    const auto words = Field_Words(text);
    const int32_t read[] = {settings.layer1_width,  settings.layer1_height,          settings.layer2_width,
                            settings.layer2_height, settings.redraw_during_training, settings.images_per_connection};
    for (size_t k = 0; k < 6; ++k) {
        const int32_t expected = Leading_Integer(words[k]);
        if (read[k] != expected)
            return Format("field %zu is %d, not %d (from the word \"%s\")", k + 1, read[k], expected,
                          words[k].c_str());
    }
    const double rate = std::strtod(words[6].c_str(), nullptr);
    if (!Same_Number(settings.learning_rate, rate))
        return Format("the learning rate is %g, not %g (from the word \"%s\")", settings.learning_rate, rate,
                      words[6].c_str());
    return std::nullopt;
}

constexpr uint64_t small_memory = 64ull << 20;

// The check of the sizes, with memory unchecked and with a small amount: it
// refuses exactly the sizes the network cannot have, always says why, a
// refusal stands whatever the memory, and what is accepted fits the memory.
std::optional<std::string> Check_Settings_Problem(const Training_Settings& settings) {
    const auto unchecked = Settings_Problem(settings, 0);
    const auto checked = Settings_Problem(settings, small_memory);
    if (unchecked && unchecked->empty()) return "a refusal without a reason";
    if (checked && checked->empty()) return "a refusal without a reason";
    if (unchecked && !checked) return "settings refused with memory unchecked were accepted with it checked";

    const int64_t most = std::numeric_limits<int32_t>::max();
    const int64_t layer1 = Neurons(settings.layer1_width, settings.layer1_height);
    const int64_t layer2 = Neurons(settings.layer2_width, settings.layer2_height);
    const bool sizes_runnable = settings.layer1_width >= 1 && settings.layer1_height >= 1 &&
                                settings.layer2_width >= 4 && settings.layer2_height >= 1;
    const bool counts_fit = layer1 <= most && layer2 <= most;
    if (!unchecked && !sizes_runnable)
        return Format("accepted layers of %d by %d and %d by %d", settings.layer1_width, settings.layer1_height,
                      settings.layer2_width, settings.layer2_height);
    if (!unchecked && !counts_fit) return "accepted a layer of more neurons than a 32-bit count holds";
    if (unchecked && sizes_runnable && counts_fit)
        return Format("refused runnable layers of %d by %d and %d by %d: %s", settings.layer1_width,
                      settings.layer1_height, settings.layer2_width, settings.layer2_height, unchecked->c_str());
    if (unchecked) return std::nullopt;

    const double weights = static_cast<double>(Image_Size * layer1 + layer1 * layer2);
    const double neurons = static_cast<double>(Image_Size + layer1 + layer2);
    if (!checked && weights * 16 > static_cast<double>(small_memory))
        return Format("accepted %.0f weights in %llu bytes", weights, static_cast<unsigned long long>(small_memory));
    // A network that fits in a quarter of the memory, at a generous 16 bytes
    // a weight and 64 a neuron, is never refused.
    if (checked && weights * 64 + neurons * 256 <= static_cast<double>(small_memory))
        return Format("refused %.0f weights in %llu bytes: %s", weights, static_cast<unsigned long long>(small_memory),
                      checked->c_str());
    return std::nullopt;
}

// Every state of every layer is 0 or 1.
std::optional<std::string> Check_States(const Layer_Stack& stack) {
    for (int32_t i = 0; i < stack.Layer_Count(); ++i) {
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
    Headless_Network network;
    Layer_Stack& stack = network.stack;
    Worker_Stop stop;
    Training_Worker_Argument argument{&stack, &stop};
    std::optional<std::string> problem;
    Set_Random_State(1);  // each input draws the same numbers, whatever ran before it
    {
        Training_Run run(argument);
        if (!run.Read_Settings()) {
            problem = "the worker refused settings that were checked and found runnable";
        } else if (!run.Build()) {
            problem = "the worker did not build the network";
        } else if (stack.Layer_Count() != 3) {
            problem = Format("the worker built %d layers", stack.Layer_Count());
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
    return problem;
}

// Settings of a small network, as the tests of image files use.
const std::string small_settings = "3 2 4 1 0 5 0.25";

// ------------------------------------------------------------ training images

// What a stream reading the image file must give, step by step: the
// position, whether a read has failed, and the image buffer.
struct Image_File_Model {
    Image_File_Model(const uint8_t* file_bytes, size_t file_size) : bytes(file_bytes), size(file_size) {
        if (size >= 16) {
            position = 16;
        } else {
            position = size;
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
        const size_t taken = std::min<size_t>(size - position, Image_Size);
        std::memcpy(buffer, bytes + position, taken);
        position += taken;
        if (taken < Image_Size) failed = true;
    }

    const uint8_t* bytes;
    size_t size;
    size_t position = 0;
    bool failed = false;
    uint8_t buffer[Image_Size] = {};
};

// The input's bytes as a stream buffer, read where they lie: the reader
// sees them as it sees a file's, with positions and seeks, and nothing is
// copied or allocated for each input.
class Bytes_Source : public std::streambuf {
public:
    Bytes_Source(const uint8_t* data, size_t size) {
        // Never written through: this buffer has no put area and puts nothing back.
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }

protected:
    pos_type seekoff(off_type offset, std::ios::seekdir way, std::ios::openmode which) override {
        const off_type size = egptr() - eback();
        const off_type base = way == std::ios::beg ? 0 : way == std::ios::cur ? gptr() - eback() : size;
        if ((which & std::ios::in) == 0 || offset < -base || offset > size - base) return pos_type(off_type(-1));
        setg(eback(), eback() + base + offset, egptr());
        return pos_type(base + offset);
    }
    pos_type seekpos(pos_type position, std::ios::openmode which) override {
        return seekoff(off_type(position), std::ios::beg, which);
    }
};

// The reader's stream and buffer against the model after the given step:
// failed or not alike, at the same place when not failed, the same bytes.
std::optional<std::string> Check_Stream(Training_Image_File& images, const Image_File_Model& model, int step) {
    if (images.stream.fail() != model.failed)
        return Format("after step %d the stream has %sfailed", step, model.failed ? "not " : "");
    if (!model.failed) {
        // Asked of the buffer, which leaves the stream's state as it is.
        const auto position = static_cast<std::streamoff>(images.stream.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in));
        if (position != static_cast<std::streamoff>(model.position))
            return Format("after step %d the stream is at %lld, not %zu", step, static_cast<long long>(position),
                          model.position);
    }
    if (std::memcmp(images.image_buffer.get(), model.buffer, Image_Size) != 0) {
        size_t k = 0;
        while (images.image_buffer[k] == model.buffer[k]) ++k;
        return Format("after step %d byte %zu of the image buffer is %d, not %d", step, k, images.image_buffer[k],
                      model.buffer[k]);
    }
    return std::nullopt;
}

// The input layer shows the model's buffer: state (c, r) is 1 exactly where
// byte r × 28 + c is 128 or more. The loop reads a 28 × 28 layer made here
// and a 784-byte array, by indices below their sizes, so the sanitizers'
// checks of each access are left out of it (they took a sixth of the
// fuzzer's time; the reader's own writes to the layer keep theirs). Its
// comparisons go the same way whatever the bytes, so libFuzzer is not told
// of them either.
#if defined(__clang__)
__attribute__((no_sanitize("address", "undefined", "coverage")))
#endif
std::optional<std::string> Check_Input(const Neuron_Layer& input, const Image_File_Model& model, int step) {
    for (size_t c = 0; c < Image_Side; ++c) {
        const Neuron_State* column = input.columns[c].get();
        for (size_t r = 0; r < Image_Side; ++r) {
            const int expected = model.buffer[r * Image_Side + c] >> 7;
            if (column[r] != expected)
                return Format("after step %d the input state at (%zu, %zu) is %d, not %d", step, c, r, column[r],
                              expected);
        }
    }
    return std::nullopt;
}

// An opened reader of these bytes against the model of its stream, over
// three connections' worth of reads, each after a rewind: one image, then
// two, then one. A file of one whole image is at its end after the first
// with no read failed, and the rewind must go back; the second connection's
// second read then fails (keeping the tail of the image before) and the
// third connection reads again after that failure, which a file shorter than
// its header or than one image does from the start. The stream and the
// buffer are checked after every step, the input layer at the end of each
// connection (each read rewrites all of it from the buffer).
std::optional<std::string> Check_Image_Reads(Training_Image_File& images, const uint8_t* bytes, size_t size) {
    const std::streamoff expected_start = size >= 16 ? 16 : -1;
    if (images.data_start != expected_start)
        return Format("the images start at %lld, not %lld", static_cast<long long>(images.data_start),
                      static_cast<long long>(expected_start));
    // One input layer for every input: each read sets all of its states.
    static Neuron_Layer input = [] {
        Neuron_Layer layer;
        layer.Create(Image_Side, Image_Side);
        return layer;
    }();
    const int reads_per_connection[] = {1, 2, 1};
    Image_File_Model model(bytes, size);
    int step = 0;
    if (auto problem = Check_Stream(images, model, step)) return problem;
    for (const int reads : reads_per_connection) {
        images.Rewind_Training_Images();
        model.Rewind();
        if (auto problem = Check_Stream(images, model, ++step)) return problem;
        for (int read = 0; read < reads; ++read) {
            images.Read_Next_Image(input);
            model.Read();
            if (auto problem = Check_Stream(images, model, ++step)) return problem;
        }
        if (auto problem = Check_Input(input, model, step)) return problem;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Run_Settings_Input(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream words(text);
    const Training_Settings settings = Read_Training_Settings_From(words);
    if (auto problem = Check_Settings_Read(settings, text)) return problem;
    return Check_Settings_Problem(settings);
}

std::optional<std::string> Run_Settings_Stages_Input(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream words(text);
    const Training_Settings settings = Read_Training_Settings_From(words);

    In_Private_Directory here;
    Write_File(Settings_File_Name, text);
    bool found = false;
    const Training_Settings from_file = Read_Training_Settings(&found);
    if (!found) return "settings.txt was written but not found";
    if (!Same_Settings(settings, from_file)) return "the file and a stream of its bytes give different settings";

    // Small accepted networks are run, with whatever learning rate, redraw
    // switch and image count (at most a few steps) the input gives.
    if (Settings_Problem(settings, small_memory) || Neurons(settings.layer1_width, settings.layer1_height) > 64 ||
        Neurons(settings.layer2_width, settings.layer2_height) > 64)
        return std::nullopt;
    std::string images = std::string("\0\0\x08\x03\0\0\0\x02\0\0\0\x1c\0\0\0\x1c", 16);
    for (int k = 0; k < 2 * Image_Size; ++k) images.push_back(static_cast<char>((k * 37) % 256));
    Write_File(Training_Images_File_Name, images);
    return Run_Worker(4);
}

std::optional<std::string> Run_Training_Images_Input(const uint8_t* data, size_t size) {
    Bytes_Source source(data, size);
    Training_Image_File images;
    images.Open_Training_Images_From(source);
    return Check_Image_Reads(images, data, size);
}

std::optional<std::string> Run_Training_Images_Stages_Input(const uint8_t* data, size_t size) {
    In_Private_Directory here;
    Write_File(Settings_File_Name, small_settings);
    Write_File(Training_Images_File_Name, std::string(reinterpret_cast<const char*>(data), size));
    return Run_Worker(5);
}

std::optional<std::string> Run_Training_Images_File_Input(const uint8_t* data, size_t size) {
    In_Private_Directory here;
    Write_File(Training_Images_File_Name, std::string(reinterpret_cast<const char*>(data), size));
    Training_Image_File images;
    images.Open_Training_Images();
    return Check_Image_Reads(images, data, size);
}
