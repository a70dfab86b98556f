#include "network/neuron_layer.h"

#include <algorithm>

void Neuron_Layer::Create(int32_t new_width, int32_t new_height) {
    owner.Claim();
    columns.reset();
    panel.reset();
    width = new_width;
    height = new_height;
    columns = std::make_unique<std::unique_ptr<Neuron_State[]>[]>(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) {
        columns[x] = std::make_unique<Neuron_State[]>(static_cast<size_t>(height));
        std::fill_n(columns[x].get(), height, Neuron_State{1});
    }
    panel = std::make_unique<On_Screen_Object_Bitmap[]>(1);
    panel[0].Setup(width, height);
}

void Neuron_Layer::Destroy() {
    columns.reset();
    width = 0;
    height = 0;
    panel.reset();
}
