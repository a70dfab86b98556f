#include "training/training_worker.h"

#include "network/random_source.h"
#include "physical_memory.h"
#include "training/training_image_file.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>

void Worker_Stop::Mark_Finished() {
    std::lock_guard<std::mutex> hold(lock);
    finished = true;
    changed.notify_all();  // under the lock: the waiter may release this object right after
}

bool Worker_Stop::Wait_Until_Finished(std::chrono::milliseconds longest) {
    std::unique_lock<std::mutex> hold(lock);
    return changed.wait_for(hold, longest, [this] { return finished; });
}

namespace {

std::string Format(const char* pattern, auto... values) {
    char text[600];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

constexpr double gibibyte = 1024.0 * 1024.0 * 1024.0;

}  // namespace

double Memory_Needed_Bytes(const Training_Settings& settings) {
    const double input = Image_Size;
    const double layer1 = static_cast<double>(settings.layer1_width) * settings.layer1_height;
    const double layer2 = static_cast<double>(settings.layer2_width) * settings.layer2_height;
    // Each weight takes a number in its row, another in the copy by column,
    // and a 32-bit pixel in each of its picture's two bitmaps (the one shown
    // and the one painted next): 24 bytes. Each row and each column fills
    // whole cache lines of 8 numbers. Each neuron of every layer, the top one
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

void Lay_Out_Network(Layer_Stack& stack) {
    auto objects = stack.manager->Lock_Objects();
    auto place = [](On_Screen_Object_Bitmap& panel, Panel_Place at) {
        panel.bounds = RECT{at.left, at.top, at.left + panel.picture.bitmap_width, at.top + panel.picture.bitmap_height};
    };
    place(stack.connections[0]->panel[0], Connection_0_Place);
    place(stack.connections[1]->panel[0], Connection_1_Place);
    place(stack.layers[0]->panel[0], Layer_0_Place);
    place(stack.layers[1]->panel[0], Layer_1_Place);
    place(stack.layers[2]->panel[0], Layer_2_Place);
}

// Shows what the worker is doing in the window's title, a few times a
// second at most, since without redrawing nothing else shows it for minutes.
class Progress_Title {
public:
    explicit Progress_Title(HWND title_window) : window(title_window) {}

    void Training(int32_t connection, int32_t image, int32_t images) {
        ++trained;
        const auto now = Clock::now();
        if (now - last < interval && image != images) return;
        const double seconds = std::chrono::duration<double>(now - last).count();
        const double rate = seconds > 0 ? static_cast<double>(trained - trained_at_last) / seconds : 0.0;
        Show(Format("layerdream - training connection %d: image %d of %d (%.0f images/s)", connection, image, images,
                    rate));
        last = now;
        trained_at_last = trained;
    }

    void Dreaming(uint64_t cycle) {
        const auto now = Clock::now();
        if (now - last < interval && cycle != 1) return;
        Show(Format("layerdream - dreaming: cycle %" PRIu64, cycle));
        last = now;
    }

    void Show(const std::string& text) { SetWindowTextA(window, text.c_str()); }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto interval = std::chrono::milliseconds(250);
    HWND window;
    Clock::time_point last = Clock::now();
    uint64_t trained = 0;
    uint64_t trained_at_last = 0;
};

Training_Run::Training_Run(Training_Worker_Argument& run_argument)
    : argument(run_argument),
      stack(*run_argument.stack),
      pace(stack.window),
      progress(std::make_unique<Progress_Title>(stack.window)) {}

Training_Run::~Training_Run() = default;

bool Training_Run::Stopping() const { return argument.stop != nullptr && argument.stop->Requested(); }

bool Training_Run::Read_Settings() {
    bool found = false;
    settings = Read_Training_Settings(&found);
    if (Stopping()) return false;
    if (const auto problem = Settings_Problem(settings, Physical_Memory_Bytes())) {
        // After "Settings data not found" the all-zero values need no second message.
        progress->Show("layerdream - stopped: settings.txt cannot be used");
        if (found) MessageBoxA(nullptr, problem->c_str(), "layerdream", MB_OK);
        return false;
    }
    return true;
}

bool Training_Run::Build() {
    images.Open_Training_Images();
    if (Stopping()) return false;
    stack.Add_Layer(Image_Side, Image_Side);
    if (Stopping()) return false;
    stack.Add_Layer(settings.layer1_width, settings.layer1_height);
    if (Stopping()) return false;
    stack.Add_Layer(settings.layer2_width, settings.layer2_height);
    if (Stopping()) return false;
    Lay_Out_Network(stack);
    stack.Show_All();
    pace.Shown();
    return !Stopping();
}

bool Training_Run::Train() {
    const int32_t steps = settings.images_per_connection;
    for (int32_t p = 0; p < stack.layer_count - 1; ++p) {
        images.Rewind_Training_Images();
        for (int32_t i = 0; i < steps; ++i) {
            if (Stopping()) return false;
            const double rate = Learning_Rate_At(settings.learning_rate, i, steps);
            images.Read_Next_Image(*stack.layers[0]);
            for (int32_t c = 0; c <= p; ++c) stack.connections[c]->Sample_Up();
            // Update_Positive, Sample_Down and Update_Negative of connection p.
            stack.connections[p]->Learn_From_Sample(rate);
            if (settings.redraw_during_training != 0) {
                stack.Show_All();
                pace.Training_Step_Shown();
            }
            progress->Training(p, i + 1, steps);
        }
    }
    return !Stopping();
}

void Training_Run::Dream_Cycle() {
    const double even_odds = Firing_Probability(-0.0);  // exactly 0.5
    Neuron_Layer& top = *stack.layers[2];
    for (int x = 0; x < 4; ++x) top.columns[x][0] = Random_Fraction(Draw_Random()) < even_odds ? 1 : 0;
    stack.connections[1]->Sample_Down();
    stack.connections[0]->Sample_Down();
    stack.Show_All();
    stack.Show_All();
    pace.Dream_Cycle_Shown();
    progress->Dreaming(++dream_cycles);
}

void Training_Run::Run() {
    if (!Read_Settings() || !Build() || !Train()) return;
    while (!Stopping()) Dream_Cycle();
}

unsigned __stdcall Training_Worker(void* raw_argument) {
    auto& argument = *static_cast<Training_Worker_Argument*>(raw_argument);
    {
        Training_Run run(argument);
        run.Run();
    }
    if (argument.stop != nullptr) argument.stop->Mark_Finished();
    return 0;
}
