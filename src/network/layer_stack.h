// The network as a whole: layers bottom-up, a connection between each pair
// of neighbours, the window that shows them and the manager with which their
// pictures are registered.
#pragma once

#include "network/layer_connection.h"
#include "network/neuron_layer.h"
#include "screen/on_screen_object_manager.h"

#include <cstdint>
#include <memory>
#include <vector>

struct Layer_Stack {
    Layer_Stack() = default;
    // Takes the pictures out of the manager's lists and releases the
    // network (Destroy_Network).
    ~Layer_Stack();
    Layer_Stack(const Layer_Stack&) = delete;
    Layer_Stack& operator=(const Layer_Stack&) = delete;

    // Appends a layer of that size and, from the second layer on, the
    // connection from the previous top layer to it; registers the new
    // pictures with the manager for the window and captions them.
    void Add_Layer(int32_t width, int32_t height);
    // Paints every picture of the network, from the bottom up. When the
    // window is repainted to show them is the caller's pace (Repaint_Pace).
    void Show_All();

    int32_t Layer_Count() const { return static_cast<int32_t>(layers.size()); }

    HWND window = nullptr;
    // connections[i] joins layers[i] to layers[i + 1].
    std::vector<std::unique_ptr<Layer_Connection>> connections;
    // layers[0] is the input layer.
    std::vector<std::unique_ptr<Neuron_Layer>> layers;
    On_Screen_Object_Manager* manager = nullptr;
};

// Takes the network's pictures out of the manager's lists and releases every
// layer and connection of the stack. Only for when nothing else can use the
// network any more (its worker has ended).
void Destroy_Network(Layer_Stack& stack);
