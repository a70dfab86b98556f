// The firing rule's decision for a neuron whose sum and draw are known:
// on if the draw's fraction r / 32767 lies below the firing probability
// 1 / (1 + 2.71828182^-sum).
//
// The probability takes a call of the power function, which would be most
// of the cost of sampling a small network. Yet for almost every sum the draw
// leaves no doubt: the probability grows with the sum, so a small table of
// it at evenly spaced sums brackets the probability of any sum between two
// of them, and only a draw whose fraction falls within that bracket (or a
// sum that is not a number) needs the probability itself. The decision is
// therefore always the rule's own.
#pragma once

#include "network/neuron_layer.h"

Neuron_State Fires(double sum, int draw);
