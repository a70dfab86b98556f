// The worker's training done the plain way: reads settings.txt and
// trainingimages from the current directory as the program does, builds the
// same three layers with the same starting weights, trains both connections
// with the rules written literally over plain arrays of doubles (every
// product added, every pair tested, one thread: tests/support/plain_network.h),
// then samples the first dreaming cycle down to the input layer, and prints
// how many seconds all of that took. bench/time_to_dreaming.py runs it
// beside the real program on the same files.
//
//   plain_training           (in the folder holding the two files)
#include "network/random_source.h"
#include "support/plain_network.h"
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
    Plain_Network network = Make_Plain_Network({{Image_Side, Image_Side},
                                                {settings.layer1_width, settings.layer1_height},
                                                {settings.layer2_width, settings.layer2_height}});
    // The images are read into a layer of the program's, then taken over in
    // neuron index order.
    Neuron_Layer input;
    input.Create(Image_Side, Image_Side);
    Pattern image(Image_Size);
    const int32_t steps = settings.images_per_connection;
    for (int32_t p = 0; p < 2; ++p) {
        images.Rewind_Training_Images();
        for (int32_t i = 0; i < steps; ++i) {
            const double rate = Learning_Rate_At(settings.learning_rate, i, steps);
            images.Read_Next_Image(input);
            for (int32_t x = 0; x < Image_Side; ++x)
                for (int32_t y = 0; y < Image_Side; ++y)
                    image[static_cast<size_t>(x) * Image_Side + y] = static_cast<uint8_t>(input.columns[x][y]);
            Plain_Training_Step(network, p, image, rate);
        }
    }
    Plain_Layer& top = network.layers[2];
    for (int x = 0; x < 4; ++x)
        top.states[static_cast<size_t>(x) * top.height] = Random_Fraction(Draw_Random()) < 0.5 ? 1 : 0;
    Plain_Sample_Down(network, 1);
    Plain_Sample_Down(network, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("plain training: %.3f s for 2 × %d images\n", seconds, steps);
    input.Destroy();
    return 0;
}
