// Where the worker places the five pictures of a three-layer network: the
// layers in a column on the left, input lowest, each connection to the
// right of its lower layer's row.
#pragma once

#include "network/layer_stack.h"

// Left and top of a picture.
struct Panel_Place {
    int left;
    int top;
};
inline constexpr Panel_Place Connection_0_Place{180, 180};
inline constexpr Panel_Place Connection_1_Place{180, 70};
inline constexpr Panel_Place Layer_0_Place{20, 180};
inline constexpr Panel_Place Layer_1_Place{20, 130};
inline constexpr Panel_Place Layer_2_Place{20, 70};

// Puts the five pictures at their places, each as large as its picture,
// with the manager's objects held still.
void Lay_Out_Network(Layer_Stack& stack);
