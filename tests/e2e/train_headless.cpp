// Runs the worker's stages in the current directory without a window, up to
// the end of training, and saves connection 0's weight picture as a BMP file:
// what the real program's "Output Bitmap" must give for that connection once
// training is over.
//
//   train_headless OUTPUT.bmp
#include "screen/on_screen_object_manager.h"
#include "training/training_worker.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: train_headless OUTPUT.bmp\n");
        return 2;
    }
    On_Screen_Object_Manager manager;
    Layer_Stack stack;
    stack.manager = &manager;  // no window: every repaint is a no-op
    Worker_Stop stop;
    Training_Worker_Argument argument{&stack, &stop};
    int result = 1;
    {
        Training_Run run(argument);
        if (run.Read_Settings() && run.Build() && run.Train()) {
            Layer_Connection& connection = *stack.connections[0];
            connection.Show_Weights(nullptr);
            connection.panel[0].picture.file_name = argv[1];
            result = connection.panel[0].picture.Save_BMP() ? 0 : 1;
        }
    }
    Destroy_Network(stack);
    return result;
}
