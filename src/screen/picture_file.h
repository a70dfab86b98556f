// A panel's picture: the bitmap it shows, and the BMP file it is saved to.
#pragma once

#include "platform.h"
#include "screen/double_buffered_bitmap.h"

#include <cstdint>
#include <string>
#include <system_error>

class Picture_File {
public:
    // Writes the bitmap to file_name as an uncompressed 24-bit BMP file.
    // The file appears whole or not at all: it is written under a temporary
    // name beside it and renamed when complete. True if it was written;
    // otherwise failure, if given, says why.
    bool Save_BMP(std::error_code* failure = nullptr);

    Double_Buffered_Bitmap bitmap;  // the picture, painted on one thread and shown on another
    std::string file_name;          // where the next Save_BMP writes
};

// Bytes per stored row of a 24-bit BMP of the given width: three per pixel,
// rounded up to a multiple of four.
int64_t BMP_Row_Size(int64_t width);
