// The four rules of the model written the plain way, loop for loop: every
// product of a state and a weight is added, in ascending neuron order, and
// every weight of a pair whose two neurons are on is updated where it lies.
// The tests and the benchmark hold the program's fast rules against these.
//
// They work on a Layer_Connection as the program's rules do, and write each
// weight they change with Set_Weight, the one way to write a weight from
// outside the connection.
#pragma once

#include "network/layer_connection.h"
#include "support/test_network.h"

// The firing rule: the probability first, then one draw from the random
// source; the state is 1 if the draw's fraction lies below the probability.
Neuron_State Reference_Fire(double sum);

void Reference_Sample_Up(Layer_Connection& connection);
void Reference_Sample_Down(Layer_Connection& connection);
void Reference_Update_Positive(Layer_Connection& connection, double learning_rate);
void Reference_Update_Negative(Layer_Connection& connection, double learning_rate);

// The four above as a set, to run the training step with.
Rule_Set Reference_Rules();
