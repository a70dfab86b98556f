// How much memory the machine has.
#pragma once

#include <cstdint>

// The machine's physical memory in bytes, or 0 if it cannot be told.
uint64_t Physical_Memory_Bytes();
