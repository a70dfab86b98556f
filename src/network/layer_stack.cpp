#include "network/layer_stack.h"

#include <cstdio>

namespace {

// Gives a registered panel its caption. The panel is drawn on the window's
// thread, so it is changed with the manager's objects held still.
void Caption(On_Screen_Object_Manager& manager, On_Screen_Object_Bitmap& panel, const char* text) {
    auto objects = manager.Lock_Objects();
    panel.show_caption = true;
    panel.caption = text;
}

}  // namespace

void Layer_Stack::Add_Layer(int32_t width, int32_t height) {
    const int32_t n = layer_count;
    auto new_layers = std::make_unique<Neuron_Layer*[]>(static_cast<size_t>(n) + 1);
    for (int32_t i = 0; i < n; ++i) new_layers[i] = layers[i];

    // Layers and connections are made as one-element arrays and live until
    // the network is destroyed; the arrays of the stack only point at them.
    auto* layer = new Neuron_Layer[1];
    layer->Create(width, height);
    manager->Add_Object(window, &layer->panel[0]);
    char text[500];
    std::snprintf(text, sizeof text, "layer %d neuron states: %dX%d", n, width, height);
    Caption(*manager, layer->panel[0], text);

    new_layers[n] = layer;
    layers = std::move(new_layers);
    layer_count = n + 1;

    std::unique_ptr<Layer_Connection*[]> new_connections;
    const int32_t m = layer_count;
    if (m >= 2) {
        new_connections = std::make_unique<Layer_Connection*[]>(static_cast<size_t>(m) - 1);
        for (int32_t i = 0; i < m - 2; ++i) new_connections[i] = connections[i];
        auto* connection = new Layer_Connection[1];
        connection->Create(layers[m - 2], layers[m - 1]);
        manager->Add_Object(window, &connection->panel[0]);
        std::snprintf(text, sizeof text, "Weightings that connect layer %d to layer %d: %dX%d", m - 2, m - 1,
                      layers[m - 2]->Neuron_Count(), layers[m - 1]->Neuron_Count());
        Caption(*manager, connection->panel[0], text);
        new_connections[m - 2] = connection;
    }
    connections = std::move(new_connections);
}

void Layer_Stack::Show_All() {
    for (int32_t i = 0; i + 1 < layer_count; ++i) {
        layers[i]->Show_States(window);
        connections[i]->Show_Weights(window);
    }
    if (layer_count >= 1) layers[layer_count - 1]->Show_States(window);
}

namespace {

void Unregister(Window_Object_List* list, On_Screen_Object_Bitmap& panel) {
    if (list == nullptr) return;
    list->Remove(&panel.menu);
    list->Remove(&panel);
}

}  // namespace

void Destroy_Network(Layer_Stack& stack) {
    {
        On_Screen_Object_Manager::Objects_Lock objects;
        Window_Object_List* list = nullptr;
        if (stack.manager != nullptr) {
            objects = stack.manager->Lock_Objects();
            list = stack.manager->Find_Window(objects, stack.window);
        }
        for (int32_t i = 0; i < stack.layer_count; ++i)
            if (stack.layers[i] != nullptr) Unregister(list, stack.layers[i]->panel[0]);
        for (int32_t i = 0; i + 1 < stack.layer_count; ++i)
            if (stack.connections[i] != nullptr) Unregister(list, stack.connections[i]->panel[0]);
    }
    for (int32_t i = 0; i + 1 < stack.layer_count; ++i) {
        delete[] stack.connections[i];
        stack.connections[i] = nullptr;
    }
    for (int32_t i = 0; i < stack.layer_count; ++i) {
        delete[] stack.layers[i];
        stack.layers[i] = nullptr;
    }
}
