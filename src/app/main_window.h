// The program's one window: its class, its procedure and its paint.
#pragma once

#include "platform.h"

inline constexpr const char* Main_Window_Class_Name = "this is what you name your window class";
inline constexpr const char* Main_Window_Title = "layerdream";
// The icon's resource number in the Windows executable (packaging/windows/layerdream.rc.in).
inline constexpr int Program_Icon_Resource = 1;

// The instance and the main window, set once by the entry.
extern HINSTANCE Program_Instance;
extern HWND Main_Window;

// Registers the main window's class: nonzero on success.
ATOM Register_Main_Window_Class(HINSTANCE instance);

// Creates the main window at a size and place the system chooses.
HWND Create_Main_Window(HINSTANCE instance);

// Turns mouse messages into events for the window's screen objects, paints
// double-buffered and ends the message loop when the window is destroyed.
LRESULT CALLBACK Main_Window_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Draws every object of the window into an off-screen picture of the client
// area and copies that to the screen in one operation.
void Paint_Main_Window(HWND window);
