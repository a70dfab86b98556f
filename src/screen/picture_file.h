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

    // The picture is painted on one thread and copied on another. The
    // painter paints a second bitmap of the same size, away from the one
    // shown, and then publishes it: the two change places under the lock.
    // Whoever copies the shown bitmap holds the lock while it is selected,
    // so every copy sees the picture as it was last completely painted, and
    // nobody waits for more than a copy. Nothing that waits for another
    // thread may be done while holding it.
    [[nodiscard]] std::unique_lock<std::mutex> Lock() const { return std::unique_lock<std::mutex>(lock); }

    // The bitmap to paint the next picture into (made on first use).
    HBITMAP Begin_Painting();
    // Makes the bitmap just painted the one shown and saved.
    void Publish();
    // Forgets the painter's bitmap, for when the picture gets a new size.
    void Discard_Painting();

    std::string file_name;     // where the next Save_BMP writes
    HBITMAP bitmap = nullptr;  // owned; compatible with the display
    int32_t bitmap_width = 0;
    int32_t bitmap_height = 0;

private:
    mutable std::mutex lock;
    HBITMAP painting = nullptr;  // owned; the picture being painted
};

// Bytes per stored row of a 24-bit BMP of the given width: three per pixel,
// rounded up to a multiple of four.
int64_t BMP_Row_Size(int64_t width);
