// Helpers for the training tests: image files written into the current
// directory and test images. (Calls that show a message box:
// message_box_support.h; a network with no window, files and counted draws:
// tests/support.)
#pragma once

#include "network/neuron_layer.h"
#include "support/files.h"
#include "support/headless_network.h"
#include "support/random_draws.h"
#include "training/training_image_file.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace training_test {

using Image = std::array<uint8_t, Image_Size>;

// The header of the published image format: magic number, image count,
// rows and columns, each four bytes, most significant first.
inline std::string Idx_Header(uint32_t count) {
    std::string header;
    for (uint32_t field : {0x00000803u, count, 28u, 28u})
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<char>((field >> shift) & 0xFF));
    return header;
}

// An image of pixels spread over the whole range of grey levels, different
// for every seed.
inline Image Noise_Image(uint32_t seed) {
    Image image{};
    uint32_t state = seed * 2654435761u + 12345u;
    for (uint8_t& pixel : image) {
        state = state * 1664525u + 1013904223u;
        pixel = static_cast<uint8_t>(state >> 24);
    }
    return image;
}

inline std::string Bytes_Of(const Image& image) { return std::string(image.begin(), image.end()); }

// Header followed by the images, whole.
inline void Write_Training_Images(const std::vector<Image>& images, const std::string& header = Idx_Header(0)) {
    std::string bytes = header;
    for (const Image& image : images) bytes += Bytes_Of(image);
    Write_File(Training_Images_File_Name, bytes);
}

// True when the 28 × 28 layer shows the image in black and white: the state
// at x = column, y = row is 1 exactly for a pixel of 128 or more.
inline bool Shows(const Neuron_Layer& layer, const Image& image) {
    for (int k = 0; k < Image_Size; ++k) {
        const int row = k / 28;
        const int column = k % 28;
        if (layer.columns[column][row] != (image[k] >= 128 ? 1 : 0)) return false;
    }
    return true;
}

// Which of the images the layer shows, or -1 for none of them.
inline int Shown_Image(const Neuron_Layer& layer, const std::vector<Image>& images) {
    for (size_t k = 0; k < images.size(); ++k)
        if (Shows(layer, images[k])) return static_cast<int>(k);
    return -1;
}

inline int Count_On(const Neuron_Layer& layer) {
    int on = 0;
    for (int x = 0; x < layer.width; ++x)
        for (int y = 0; y < layer.height; ++y) on += layer.columns[x][y];
    return on;
}

}  // namespace training_test
