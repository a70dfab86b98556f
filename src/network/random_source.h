// The random source: a 15-bit linear congruential generator whose state
// belongs to the drawing thread, starts at 1 and is never reseeded, so every
// run (and every platform) draws the same numbers: 41, 18467, 6334, 26500, ...
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int Random_Maximum = 32767;

// The next draw of this thread: an integer from 0 to 32767.
int Draw_Random();
// The next count draws of this thread, in order: what count calls of
// Draw_Random give.
void Draw_Randoms(int* draws, size_t count);

// A draw as a fraction from 0 to 1, dividing by 32767 so that 32767 gives 1.
inline double Random_Fraction(int draw) { return draw / 32767.0; }

// This thread's generator state, and a way to put it back, for tests that
// replay a sequence of draws.
uint32_t Random_State();
void Set_Random_State(uint32_t state);
