// The training images: a 16-byte header, then 28 × 28 images of one byte per
// pixel, read one at a time into the input layer, reduced to black and white.
#pragma once

#include "network/neuron_layer.h"

#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>

inline constexpr const char* Training_Images_File_Name = "trainingimages";
inline constexpr int Image_Side = 28;
inline constexpr int Image_Size = Image_Side * Image_Side;

struct Training_Image_File {
    // Opens the file in the current directory and reads its header. If it
    // cannot be opened, shows "Training data not found" and waits until the
    // message is dismissed; every read then finds nothing.
    void Open_Training_Images();
    // Reads the same layout from bytes the caller holds (and keeps for as
    // long as images are read), with no file and no message.
    void Open_Training_Images_From(std::streambuf& bytes);
    // Goes back to the first image. A stream whose read has failed only has
    // its state cleared: it stays where it is, so it never reads again.
    void Rewind_Training_Images();
    // Reads the next image into the buffer (a short read keeps the rest of
    // the buffer) and sets input state (c, r) to 1 where pixel (r, c) ≥ 128.
    void Read_Next_Image(Neuron_Layer& input);

    // The file's bytes when it was opened by name; the stream reads from it
    // or from the caller's bytes.
    std::filebuf file;
    std::istream stream{&file};
    std::streamoff data_start = -1;  // just after the header; -1 if it could not be read
    // The last image read; all zero until the first read, so a missing or
    // short file gives blank images.
    std::unique_ptr<uint8_t[]> image_buffer;

private:
    // Reads the header from where the stream stands, takes data_start and
    // makes the buffer.
    void Read_Header();
};
