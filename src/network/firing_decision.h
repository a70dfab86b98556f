// The firing rule's decision for a neuron whose sum and draw are known:
// on if the draw's fraction r / 32767 lies below the firing probability
// 1 / (1 + 2.71828182^-sum).
//
// The probability takes a call of the power function, which would be most
// of the cost of sampling a small network. Yet for almost every sum the draw
// leaves no doubt: the sum lies clearly below or clearly above the one at
// which the probability equals the draw's fraction. Only sums close to that
// point, sums that are not numbers, and the draw 0 are decided by computing
// the probability itself, so the decision is always the rule's own.
#pragma once

#include "network/neuron_layer.h"

Neuron_State Fires(double sum, int draw);
