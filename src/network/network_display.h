// The grey levels in which the network's numbers are shown.
#pragma once

#include "network/neuron_layer.h"

#include <cstdint>

// 255 for a neuron that is on, 0 for one that is off.
uint8_t State_Grey_Level(Neuron_State state);

// Weights from -1 to +1 run from black to white; outside that range the
// level wraps round modulo 256; a weight that is not a number shows black.
uint8_t Weight_Grey_Level(double weight);
