#include "network/layer_stack.h"

#include <cstdio>

namespace {

// Gives a registered panel its caption. The panel is drawn on the window's
// thread, so it is changed with the manager's objects held still.
void Caption(On_Screen_Object_Manager& manager, On_Screen_Object_Bitmap& panel, const char* text) {
    On_Screen_Object_Manager::Objects_Lock objects(manager);
    panel.show_caption = true;
    panel.caption = text;
}

}  // namespace

void Layer_Stack::Add_Layer(int32_t width, int32_t height) {
    const int32_t n = Layer_Count();
    auto layer = std::make_unique<Neuron_Layer>();
    layer->Create(width, height);
    manager->Add_Object(window, &layer->panel[0]);
    char text[500];
    std::snprintf(text, sizeof text, "layer %d neuron states: %dX%d", n, width, height);
    Caption(*manager, layer->panel[0], text);
    layers.push_back(std::move(layer));

    const int32_t m = Layer_Count();
    if (m >= 2) {
        auto connection = std::make_unique<Layer_Connection>();
        connection->Create(layers[m - 2].get(), layers[m - 1].get());
        manager->Add_Object(window, &connection->panel[0]);
        std::snprintf(text, sizeof text, "Weightings that connect layer %d to layer %d: %dX%d", m - 2, m - 1,
                      layers[m - 2]->Neuron_Count(), layers[m - 1]->Neuron_Count());
        Caption(*manager, connection->panel[0], text);
        connections.push_back(std::move(connection));
    }
}

void Layer_Stack::Show_All() {
    for (size_t i = 0; i < connections.size(); ++i) {
        layers[i]->Show_States(window);
        connections[i]->Show_Weights(window);
    }
    if (!layers.empty()) layers.back()->Show_States(window);
}

Layer_Stack::~Layer_Stack() { Destroy_Network(*this); }

namespace {

void Unregister(Window_Object_List* list, On_Screen_Object_Bitmap& panel) {
    if (list == nullptr) return;
    list->Remove(&panel.menu);
    list->Remove(&panel);
}

void Unregister_Pictures(On_Screen_Object_Manager& manager, Layer_Stack& stack) {
    On_Screen_Object_Manager::Objects_Lock objects(manager);
    Window_Object_List* list = manager.Find_Window(objects, stack.window);
    for (const auto& layer : stack.layers) Unregister(list, layer->panel[0]);
    for (const auto& connection : stack.connections) Unregister(list, connection->panel[0]);
}

}  // namespace

void Destroy_Network(Layer_Stack& stack) {
    if (stack.manager != nullptr) Unregister_Pictures(*stack.manager, stack);
    // Each connection refers to its layers: the connections go first.
    stack.connections.clear();
    stack.layers.clear();
}
