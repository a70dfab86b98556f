#include "network/random_source.h"

namespace {
thread_local uint32_t state = 1;
}

int Draw_Random() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

// Four draws at a time from four states a step apart, each stepped four
// steps at once: state × a⁴ + c × (a³ + a² + a + 1) is four steps of
// state × a + c (modulo 2³²), so the states and the draws are those of the
// steps one at a time, and the four multiplications do not wait for each
// other.
void Draw_Randoms(int* draws, size_t count) {
    constexpr uint32_t a = 214013u;
    constexpr uint32_t c = 2531011u;
    constexpr uint32_t a4 = a * a * a * a;
    constexpr uint32_t c4 = c * (a * a * a + a * a + a + 1u);
    size_t k = 0;
    if (count >= 4) {
        uint32_t lanes[4];
        uint32_t last = state;
        for (uint32_t& lane : lanes) lane = last = last * a + c;
        for (; k + 4 <= count; k += 4) {
            for (int j = 0; j < 4; ++j) draws[k + j] = static_cast<int>((lanes[j] >> 16) & 0x7FFFu);
            last = lanes[3];
            for (uint32_t& lane : lanes) lane = lane * a4 + c4;
        }
        state = last;
    }
    for (; k < count; ++k) draws[k] = Draw_Random();
}

uint32_t Random_State() { return state; }

void Set_Random_State(uint32_t new_state) { state = new_state; }
