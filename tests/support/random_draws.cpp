#include "support/random_draws.h"

uint32_t Random_State_After(uint32_t state, uint64_t draws) {
    for (uint64_t k = 0; k < draws; ++k) state = state * 214013u + 2531011u;
    return state;
}
