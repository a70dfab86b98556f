#include "app/worker_start.h"

void Start_Training_Worker(HWND window, Layer_Stack& stack, Training_Worker_Argument& argument, Worker_Stop& stop) {
    stack.window = window;
    stack.connections.clear();
    stack.layers.clear();
    stack.manager = &Process_Screen_Object_Manager();
    argument.stack = &stack;
    argument.stop = &stop;
    _beginthreadex(nullptr, 0, Training_Worker, &argument, 0, nullptr);
}

bool Stop_Training_Worker(Worker_Stop& stop, std::chrono::milliseconds longest) {
    stop.Request();
    return stop.Wait_Until_Finished(longest);
}

bool Finish_Training_Worker(Layer_Stack& stack, Worker_Stop& stop, std::chrono::milliseconds longest) {
    if (!Stop_Training_Worker(stop, longest)) return false;
    Destroy_Network(stack);
    Release_Training_Worker(stack);
    return true;
}

void Release_Training_Worker(Layer_Stack& stack) {
    stack.connections.clear();
    stack.layers.clear();
    stack.manager = nullptr;
}
