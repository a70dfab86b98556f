// What the fuzzers do with one input, as plain functions: the libFuzzer
// targets call them, and the regression test runs every saved input through
// them again. Nothing comes back if all was well; else what went wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The input as the text of settings.txt, read from memory: the seven values
// against a model of the words, then the check of the sizes the network
// needs. No file, no network: fast.
std::optional<std::string> Run_Settings_Input(const uint8_t* data, size_t size);

// The input as settings.txt in a private directory, read as the worker reads
// it; accepted small networks are then built, trained and dreamt through the
// worker's own stages, with no window. Slow: every input builds a network.
std::optional<std::string> Run_Settings_Stages_Input(const uint8_t* data, size_t size);

// The input as the bytes of the training image file, read from memory:
// where the images start and every input state after each read, over three
// connections' worth of reads, against a model of the stream. Fast.
std::optional<std::string> Run_Training_Images_Input(const uint8_t* data, size_t size);

// The same reads and checks with the input written as trainingimages in a
// private directory and opened by name, as the worker opens it.
std::optional<std::string> Run_Training_Images_File_Input(const uint8_t* data, size_t size);

// The input as trainingimages in a private directory, beside the settings
// of a small network, run through the worker's stages as settings are: it
// trains and dreams on whatever can be read, every state 0 or 1.
std::optional<std::string> Run_Training_Images_Stages_Input(const uint8_t* data, size_t size);
