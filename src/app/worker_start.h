// Starting the training worker, and stopping it and releasing what it used
// when the message loop has ended.
#pragma once

#include "network/layer_stack.h"
#include "training/training_worker.h"

#include <chrono>

// Sets the stack up empty for the window and the process's manager, points
// the argument at it and starts the worker thread on them.
void Start_Training_Worker(HWND window, Layer_Stack& stack, Training_Worker_Argument& argument, Worker_Stop& stop);

// Asks the worker to stop and waits for it, at most the given time. True
// once it has finished: nothing of the network is in use any more.
bool Stop_Training_Worker(Worker_Stop& stop, std::chrono::milliseconds longest);

// The end of the program, once the message loop has ended: the worker is
// stopped and waited for, at most the given time, and only once it has
// finished is the network destroyed and the stack released. False, with
// all of it left as it is, if the worker was still running when the time
// was up; the caller must then end the process before anything it uses goes.
bool Finish_Training_Worker(Layer_Stack& stack, Worker_Stop& stop, std::chrono::milliseconds longest);

// Releases the stack's two arrays and clears its fields; the window stays.
void Release_Training_Worker(Layer_Stack& stack);
