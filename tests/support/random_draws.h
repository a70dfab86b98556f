// The random source's arithmetic, for tests that count the draws an
// operation makes.
#pragma once

#include <cstdint>

// The random source's state after the given number of draws from the state.
uint32_t Random_State_After(uint32_t state, uint64_t draws);
