// One layer of binary neurons laid out as a grid, and the picture that shows
// its states.
#pragma once

#include "network/network_owner.h"
#include "platform.h"
#include "screen/on_screen_object_bitmap.h"

#include <cstdint>
#include <memory>

// A neuron's state: 1 on, 0 off, read by the sums as a signed 8-bit number.
using Neuron_State = int8_t;

struct Neuron_Layer {
    // Releases whatever the layer held, then builds a grid of width columns
    // of height states, all 1, and a new panel of width × height pixels.
    void Create(int32_t new_width, int32_t new_height);
    // Releases the columns and the panel; every field becomes zero again.
    void Destroy();
    // Paints the states into the panel's picture, on white and off black.
    // The window shows it from its next paint on.
    void Show_States(HWND window);

    // Neurons are numbered x × height + y: down one column, then the next.
    int32_t Neuron_Count() const { return width * height; }

    std::unique_ptr<On_Screen_Object_Bitmap[]> panel;  // one panel, owned
    // columns[x][y] is the state of the neuron at (x, y); owned.
    std::unique_ptr<std::unique_ptr<Neuron_State[]>[]> columns;
    int32_t width = 0;
    int32_t height = 0;
    Network_Owner owner;  // the thread that built it
};
