// The program's entry: the window, its background, the training worker and
// the message loop.
#include "app/main_window.h"
#include "app/worker_start.h"
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_manager.h"

#include <chrono>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Program_Instance = instance;
    if (Register_Main_Window_Class(instance) == 0) MessageBoxA(nullptr, "Window failed to register", "Error", MB_OK);
    Main_Window = Create_Main_Window(instance);
    ShowWindow(Main_Window, SW_SHOW);
    if (Main_Window == nullptr) MessageBoxA(nullptr, "Failed to create window", "Error", MB_OK);

    On_Screen_Object_Background background;
    background.colour = 0x00FF0000;  // pure blue
    Process_Screen_Object_Manager().Add_Object(Main_Window, &background);

    Layer_Stack stack;
    Training_Worker_Argument argument;
    Worker_Stop stop;
    Start_Training_Worker(Main_Window, stack, argument, stop);

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    const int exit_code = static_cast<int>(message.wParam);

    // Shutting down: the worker is stopped and waited for before anything it
    // uses is released. With the loop ended, none of its waits on the window
    // holds it any more, and it looks for the stop between any two steps of
    // its work. Only a network so large that a single step outlasts the wait
    // keeps it busy; the process then ends at once, before anything is torn
    // down, so the worker never sees the network released.
    if (!Finish_Training_Worker(stack, stop, std::chrono::milliseconds(1500))) std::_Exit(exit_code);
    {
        On_Screen_Object_Manager& manager = Process_Screen_Object_Manager();
        On_Screen_Object_Manager::Objects_Lock objects(manager);
        if (Window_Object_List* list = manager.Find_Window(objects, Main_Window))
            list->Remove(&background);
    }
    return exit_code;
}
