// A panel's picture: an off-screen bitmap, and the BMP file it is saved to.
#pragma once

#include "platform.h"

#include <cstdint>
#include <mutex>
#include <string>

class Picture_File {
public:
    Picture_File() = default;
    ~Picture_File();
    Picture_File(const Picture_File&) = delete;
    Picture_File& operator=(const Picture_File&) = delete;

    // Writes the bitmap to file_name as an uncompressed 24-bit BMP file.
    // The file appears whole or not at all: it is written under a temporary
    // name beside it and renamed when complete. True if it was written.
    bool Save_BMP();

    // The bitmap is painted on one thread and copied on another: whoever
    // selects it into a context holds this lock until it lets it go again,
    // so every copy sees the picture as it was last completely painted.
    // Nothing that waits for another thread may be done while holding it.
    [[nodiscard]] std::unique_lock<std::mutex> Lock() const { return std::unique_lock<std::mutex>(lock); }

    std::string file_name;     // where the next Save_BMP writes
    HBITMAP bitmap = nullptr;  // owned; compatible with the display
    int32_t bitmap_width = 0;
    int32_t bitmap_height = 0;

private:
    mutable std::mutex lock;
};

// Bytes per stored row of a 24-bit BMP of the given width: three per pixel,
// rounded up to a multiple of four.
int64_t BMP_Row_Size(int64_t width);
