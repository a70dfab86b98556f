// The one thread that does the numerical work: it reads the settings and the
// images, builds the network, lays its pictures out, trains the connections
// from the bottom up and then dreams for as long as the program runs.
#pragma once

#include "network/layer_stack.h"
#include "platform.h"
#include "screen/repaint_pace.h"
#include "training/progress_title.h"
#include "training/training_image_file.h"
#include "training/training_settings.h"
#include "training/worker_stop.h"

#include <cstdint>

struct Training_Worker_Argument {
    Layer_Stack* stack = nullptr;  // the network to build and run; empty at the start
    Worker_Stop* stop = nullptr;   // asked between steps; null runs until the process ends
};

// The thread function. Returns only when asked to stop, or when the
// settings cannot be run (after saying why).
unsigned __stdcall Training_Worker(void* argument);

// The worker's work, stage by stage, in the order the thread runs them; each
// stage is false when the work must not go on (stop asked, settings refused).
class Training_Run {
public:
    explicit Training_Run(Training_Worker_Argument& run_argument);

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
    Repaint_Pace pace;         // when the worker waits for the window to show its pictures
    Progress_Title progress;   // what the worker is doing, in the window's title
    uint64_t dream_cycles = 0;
};

// The learning rate at step i of n: it falls linearly from the first rate.
inline double Learning_Rate_At(double first_rate, int32_t i, int32_t n) {
    return first_rate - (static_cast<double>(i) / static_cast<double>(n)) * first_rate;
}
