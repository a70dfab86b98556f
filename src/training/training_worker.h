// The one thread that does the numerical work: it reads the settings and the
// images, builds the network, lays its pictures out, trains the connections
// from the bottom up and then dreams for as long as the program runs.
#pragma once

#include "network/layer_stack.h"
#include "platform.h"
#include "screen/repaint_pace.h"
#include "training/training_image_file.h"
#include "training/training_settings.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// How the window's thread tells the worker to stop and learns that it has
// (docs/threads.md).
// The worker looks at it between steps of its work.
class Worker_Stop {
public:
    void Request() { requested = true; }
    bool Requested() const { return requested; }
    void Mark_Finished();
    // True once the worker has finished, false if the time ran out first.
    bool Wait_Until_Finished(std::chrono::milliseconds longest);

private:
    std::atomic<bool> requested{false};
    std::mutex lock;
    std::condition_variable changed;
    bool finished = false;
};

struct Training_Worker_Argument {
    HWND window = nullptr;         // the main window (the worker reaches it through the stack)
    Layer_Stack* stack = nullptr;  // the network to build and run; empty at the start
    Worker_Stop* stop = nullptr;   // asked between steps; null runs until the process ends
};

// The thread function. Returns only when asked to stop, or when the
// settings cannot be run (after saying why).
unsigned __stdcall Training_Worker(void* argument);

class Progress_Title;

// The worker's work, stage by stage, in the order the thread runs them; each
// stage is false when the work must not go on (stop asked, settings refused).
class Training_Run {
public:
    explicit Training_Run(Training_Worker_Argument& run_argument);
    ~Training_Run();

    // Reads the settings and refuses, with a message, those the network
    // cannot run with.
    bool Read_Settings();
    // Opens the images, builds the three layers, lays their pictures out
    // and shows them all once, waiting until the window has painted them.
    bool Build();
    // Trains each connection in turn, from the bottom up, on the first N
    // images, with a learning rate that falls linearly. With redrawing on,
    // the window is invalidated after every step and waited for at most
    // once per display refresh.
    bool Train();
    // One cycle of dreaming: four units of the top layer set at random with
    // even odds, the layers below sampled down from it, everything shown
    // twice; then the window's paint is waited for, at most one cycle per
    // display refresh, so that every cycle is seen.
    void Dream_Cycle();
    // All of it: the stages above, then dreaming until asked to stop.
    void Run();

    bool Stopping() const;

    Training_Worker_Argument& argument;
    Layer_Stack& stack;
    Training_Settings settings;
    Training_Image_File images;
    Repaint_Pace pace;  // when the worker waits for the window to show its pictures
    uint64_t dream_cycles = 0;

private:
    std::unique_ptr<Progress_Title> progress;
};

// The memory the network of these settings takes, in bytes: weights,
// states, pictures and the rules' working storage, as built, shown and run.
double Memory_Needed_Bytes(const Training_Settings& settings);

// Why the network cannot be built with these settings, naming the value and
// what it must be; nothing if it can. Weights that would not fit in
// memory_bytes are refused too (0: not checked).
std::optional<std::string> Settings_Problem(const Training_Settings& settings, uint64_t memory_bytes);

// The learning rate at step i of n: it falls linearly from the first rate.
inline double Learning_Rate_At(double first_rate, int32_t i, int32_t n) {
    return first_rate - (static_cast<double>(i) / static_cast<double>(n)) * first_rate;
}

// Where the worker places the panels: left and top of each picture.
struct Panel_Place {
    int left;
    int top;
};
inline constexpr Panel_Place Connection_0_Place{180, 180};
inline constexpr Panel_Place Connection_1_Place{180, 70};
inline constexpr Panel_Place Layer_0_Place{20, 180};
inline constexpr Panel_Place Layer_1_Place{20, 130};
inline constexpr Panel_Place Layer_2_Place{20, 70};

// Puts the five pictures of a three-layer network at their places, each as
// large as its picture, with the manager's objects held still.
void Lay_Out_Network(Layer_Stack& stack);
