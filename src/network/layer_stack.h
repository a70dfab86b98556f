// The network as a whole: layers bottom-up, a connection between each pair
// of neighbours, the window that shows them and the manager with which their
// pictures are registered.
#pragma once

#include "network/layer_connection.h"
#include "network/neuron_layer.h"
#include "screen/on_screen_object_manager.h"

#include <cstdint>
#include <memory>

struct Layer_Stack {
    // Appends a layer of that size and, from the second layer on, the
    // connection from the previous top layer to it; registers the new
    // pictures with the manager for the window and captions them.
    void Add_Layer(int32_t width, int32_t height);
    // Paints every picture of the network, from the bottom up. When the
    // window is repainted to show them is the caller's pace (Repaint_Pace).
    void Show_All();

    HWND window = nullptr;
    int32_t layer_count = 0;
    // connections[i] joins layers[i] to layers[i + 1]; null below two layers.
    std::unique_ptr<Layer_Connection*[]> connections;
    // layers[0] is the input layer; null while there is none.
    std::unique_ptr<Neuron_Layer*[]> layers;
    On_Screen_Object_Manager* manager = nullptr;
};

// Takes the network's pictures out of the manager's lists and releases every
// layer and connection the stack made, leaving null entries in its arrays.
// Only for when nothing else can use the network any more (its worker has
// ended).
void Destroy_Network(Layer_Stack& stack);
