// The firing rule's decision for a neuron whose sum and draw are known:
// on if the draw's fraction r / 32767 lies below the firing probability
// 1 / (1 + 2.71828182^-sum).
//
// The probability takes a call of the power function, which would be most
// of the cost of sampling a small network. Yet for almost every sum the draw
// leaves no doubt: the probability grows with the sum, so a small table of
// it at evenly spaced sums brackets the probability of any sum between two
// of them, and only a draw whose fraction falls within that bracket (or a
// sum that is not a number) needs the probability itself. The table holds,
// for each stretch of sums between two points, the draws below which the
// neuron surely fires and from which it surely does not; the decision is
// therefore always the rule's own.
#pragma once

#include "network/neuron_layer.h"

#include <cstddef>

// states[k] = the decision for sums[k] and draws[k], for k from 0 to
// count - 1.
void Fire_All(const double* sums, const int* draws, size_t count, Neuron_State* states);

// The table's points: every 1/64 from -16 to 16.
inline constexpr double Tabled_Lowest_Sum = -16;
inline constexpr double Tabled_Highest_Sum = 16;
inline constexpr double Tabled_Points_Per_Unit = 64;

// The bracket the decision takes for a sum from -16 up to 16 (16 itself
// excluded): the probability of any sum between the two points about it,
// widened by a margin for the rounding of the power function and of the
// point's index. The decision is the rule's own only if the power function
// of the C library keeps the probability within it, which the tests check.
struct Probability_Bracket {
    double least;
    double most;
};
Probability_Bracket Tabled_Bracket(double sum);
