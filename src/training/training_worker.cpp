// The worker's run: read the settings and the images, build the network,
// train it, dream until asked to stop.
#include "training/training_worker.h"

#include "network/random_source.h"
#include "physical_memory.h"
#include "training/panel_places.h"
#include "training/progress_title.h"

Training_Run::Training_Run(Training_Worker_Argument& run_argument)
    : argument(run_argument),
      stack(*run_argument.stack),
      pace(stack.window),
      progress(stack.window) {}

bool Training_Run::Stopping() const { return argument.stop != nullptr && argument.stop->Requested(); }

bool Training_Run::Read_Settings() {
    bool found = false;
    settings = Read_Training_Settings(&found);
    if (Stopping()) return false;
    if (const auto problem = Settings_Problem(settings, Physical_Memory_Bytes())) {
        // After "Settings data not found" the all-zero values need no second message.
        progress.Show("layerdream - stopped: settings.txt cannot be used");
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
    for (int32_t p = 0; p < stack.Layer_Count() - 1; ++p) {
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
            progress.Training(p, i + 1, steps);
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
    pace.Wait_Until_Dream_Due();
    stack.Show_All();
    stack.Show_All();
    pace.Dream_Cycle_Shown();
    progress.Dreaming(++dream_cycles);
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
