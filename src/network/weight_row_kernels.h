// The inner loops of the sampling and learning rules, over rows of weight
// cells. Each computes exactly what the plain loops of the rules compute,
// bit for bit: every sum receives its terms one at a time in the order the
// rules give, nothing is fused into a multiply-add, and only the memory
// order and the number of sums worked on at once differ. Where the
// processor has AVX2 (asked at run time) the wider registers are used,
// otherwise SSE2.
#pragma once

#include "network/layer_connection.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One row's share of the upper sums: every sum u gets row[u].weight added
// (plain), or factor × row[u].weight when the row may hold a weight that is
// not finite or its neuron's state is neither 0 nor 1.
struct Row_Term {
    const Weight_Cell* row;
    double factor;
    bool plain;
};

// sums[u] = (((0 + term 0) + term 1) + ...) for u from 0 to upper_count - 1,
// the terms added in the order given.
void Accumulate_Columns(const Row_Term* terms, size_t term_count, int32_t upper_count, double* sums);

// For each row r: sums[r] = the weights of the row at the listed positions,
// added from 0 in the order of the list.
void Sum_Listed_Weights(const Weight_Cell* const* rows, size_t row_count, const int32_t* listed, size_t listed_count,
                        double* sums);

// The positive update of the listed cells of each row, and then each row's
// sum of its listed weights as updated, added from 0 in the order of the
// list: sums[r]. Returns true if an updated weight of any of the rows came
// out infinite or not a number (Listed_Non_Finite tells which).
bool Update_Positive_And_Sum_Listed(Weight_Cell* const* rows, size_t row_count, const int32_t* listed,
                                    size_t listed_count, double rate, double* sums);
// The positive or negative update of the listed cells of one row. True if a
// changed weight came out infinite or not a number.
bool Update_Listed_Positive(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate);
bool Update_Listed_Negative(Weight_Cell* row, const int32_t* listed, size_t listed_count, double rate);
// Whether one of the row's listed weights is infinite or not a number.
bool Listed_Non_Finite(const Weight_Cell* row, const int32_t* listed, size_t listed_count);

// Which cells of a row an update changes: those of upper neurons that are on.
// The row is worked through in pairs of neighbouring cells; only pairs with
// at least one such cell are visited, so cache lines holding none are never
// touched. Within a pair each double (weight and spare) has a 64-bit lane
// mask, so a pair can be loaded, changed and stored back whole, the spare
// and the weight of a neuron that is off keeping their bits.
class Update_Mask {
public:
    // Builds the mask from the upper states; false if no neuron is on.
    bool Build(const int8_t* upper_states, int32_t upper_count);

    const int64_t* Lanes() const { return lanes.data(); }
    const int32_t* Pairs() const { return pairs.data(); }
    size_t Pair_Count() const { return pairs.size(); }
    // The last cell of a row of odd length has no partner; whether it changes.
    bool Lone_Last_Cell() const { return lone_last_cell; }

private:
    std::vector<int64_t> lanes;  // two per cell
    std::vector<int32_t> pairs;  // pair p holds cells 2p and 2p + 1
    bool lone_last_cell = false;
};

// w + ((1 - w) × rate) × 1.109 for every masked cell of the row. True if a
// changed weight came out infinite or not a number.
bool Update_Row_Positive(Weight_Cell* row, const Update_Mask& mask, int32_t upper_count, double rate);
// w - (1 - w) × rate for every masked cell of the row. True as above.
bool Update_Row_Negative(Weight_Cell* row, const Update_Mask& mask, int32_t upper_count, double rate);

// Whether the AVX2 kernels are used where the processor has AVX2 (the
// default); the tests turn them off to check the SSE2 kernels as well.
// Returns whether AVX2 kernels will be used from now on.
bool Allow_AVX2_Kernels(bool allowed);

// The gain of the positive update.
inline constexpr double Positive_Gain = 1.109;
