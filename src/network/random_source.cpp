#include "network/random_source.h"

namespace {
thread_local uint32_t state = 1;
}

int Draw_Random() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

uint32_t Random_State() { return state; }

void Set_Random_State(uint32_t new_state) { state = new_state; }
