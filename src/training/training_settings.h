// The settings file: seven words, read once at the worker's start.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

struct Training_Settings {
    int32_t layer1_width = 0;            // layer 1: the first above the input
    int32_t layer1_height = 0;
    int32_t layer2_width = 0;            // layer 2: the top layer
    int32_t layer2_height = 0;
    int32_t redraw_during_training = 0;  // nonzero: redraw after every training image
    int32_t images_per_connection = 0;   // each connection trains on the first N images
    double learning_rate = 0.0;          // at each connection's first image; falls linearly
};

inline constexpr const char* Settings_File_Name = "settings.txt";

// Reads settings.txt from the current directory. If it cannot be opened,
// shows "Settings data not found" and waits until it is dismissed; the
// values are then all zero. file_found, if given, tells which happened.
Training_Settings Read_Training_Settings(bool* file_found = nullptr);

// Reads the seven words from a text stream: a word missing at the end
// repeats the last word read, and a word that is no number gives 0.
Training_Settings Read_Training_Settings_From(std::istream& words);

// The integer at the start of a word, as atoi reads it, but held to the
// range of a 32-bit integer instead of overflowing.
int32_t Word_To_Integer(const std::string& word);

// The memory the network of these settings takes, in bytes: weights,
// states, pictures and the rules' working storage, as built, shown and run.
double Memory_Needed_Bytes(const Training_Settings& settings);

// Why the network cannot be built with these settings, naming the value and
// what it must be; nothing if it can. Weights that would not fit in
// memory_bytes are refused too (0: not checked).
std::optional<std::string> Settings_Problem(const Training_Settings& settings, uint64_t memory_bytes);
