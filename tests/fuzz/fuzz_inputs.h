// What the fuzzers do with one input, as plain functions: the libFuzzer
// targets call them, and the regression test runs every saved input through
// them again. Each writes its input as the file the program reads, in a
// private directory of its own, reads it as the program does, checks what
// was read against the file's rules, and then builds, trains and dreams a
// small network through the worker's own stages, with no window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The input as settings.txt. Nothing if all was well; else what went wrong.
std::optional<std::string> Run_Settings_Input(const uint8_t* data, size_t size);

// The input as the training image file. Nothing if all was well; else what
// went wrong.
std::optional<std::string> Run_Training_Images_Input(const uint8_t* data, size_t size);
