#include "training/panel_places.h"

void Lay_Out_Network(Layer_Stack& stack) {
    On_Screen_Object_Manager::Objects_Lock objects(*stack.manager);
    auto place = [](On_Screen_Object_Bitmap& panel, Panel_Place at) {
        const Double_Buffered_Bitmap& picture = panel.picture.bitmap;
        panel.bounds = RECT{at.left, at.top, at.left + picture.Width(), at.top + picture.Height()};
    };
    place(stack.connections[0]->panel[0], Connection_0_Place);
    place(stack.connections[1]->panel[0], Connection_1_Place);
    place(stack.layers[0]->panel[0], Layer_0_Place);
    place(stack.layers[1]->panel[0], Layer_1_Place);
    place(stack.layers[2]->panel[0], Layer_2_Place);
}
