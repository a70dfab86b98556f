// The worker's training done the plain way: reads settings.txt and
// trainingimages from the current directory as the program does, builds the
// same three layers with the same starting weights, trains both connections
// with the plain reference rules (every product added, every pair tested),
// then samples the first dreaming cycle down to the input layer, and prints
// how many seconds all of that took. bench/time_to_dreaming.py runs it
// beside the real program on the same files.
//
//   plain_training           (in the folder holding the two files)
#include "network/random_source.h"
#include "network/reference_rules.h"
#include "support/test_network.h"
#include "training/training_image_file.h"
#include "training/training_settings.h"
#include "training/training_worker.h"

#include <chrono>
#include <cstdio>

int main() {
    const auto start = std::chrono::steady_clock::now();
    const Training_Settings settings = Read_Training_Settings();
    Training_Image_File images;
    images.Open_Training_Images();
    Test_Network network = Make_Network({{Image_Side, Image_Side},
                                         {settings.layer1_width, settings.layer1_height},
                                         {settings.layer2_width, settings.layer2_height}},
                                        Rule_Variant{Kernel_Set::plain});
    const int32_t steps = settings.images_per_connection;
    for (int32_t p = 0; p < 2; ++p) {
        images.Rewind_Training_Images();
        Layer_Connection& trained = *network.connections[p];
        for (int32_t i = 0; i < steps; ++i) {
            const double rate = Learning_Rate_At(settings.learning_rate, i, steps);
            images.Read_Next_Image(*network.layers[0]);
            for (int32_t c = 0; c <= p; ++c) Reference_Sample_Up(*network.connections[c]);
            Reference_Update_Positive(trained, rate);
            Reference_Sample_Down(trained);
            Reference_Update_Negative(trained, rate);
        }
    }
    Neuron_Layer& top = *network.layers[2];
    for (int x = 0; x < 4; ++x) top.columns[x][0] = Random_Fraction(Draw_Random()) < 0.5 ? 1 : 0;
    Reference_Sample_Down(*network.connections[1]);
    Reference_Sample_Down(*network.connections[0]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("plain training: %.3f s for 2 × %d images\n", seconds, steps);
    return 0;
}
