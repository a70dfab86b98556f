// A panel's picture: an off-screen bitmap, and the BMP file it is saved to.
#pragma once

#include "platform.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>

class Picture_File {
public:
    Picture_File() = default;
    ~Picture_File();
    Picture_File(const Picture_File&) = delete;
    Picture_File& operator=(const Picture_File&) = delete;

    // Writes the bitmap to file_name as an uncompressed 24-bit BMP file.
    // The file appears whole or not at all: it is written under a temporary
    // name beside it and renamed when complete. True if it was written;
    // otherwise failure, if given, says why.
    bool Save_BMP(std::error_code* failure = nullptr);

    // The picture is painted on one thread and copied on another (see
    // docs/threads.md). The
    // painter paints a second bitmap of the same size, away from the one
    // shown, and then publishes it: the two change places under the lock.
    // Whoever copies the shown bitmap does so under the lock, so every copy
    // sees the picture as it was last completely painted, and nobody waits
    // for more than a copy. Nothing that waits for another thread is done
    // while holding it.

    // The bitmap to paint the next picture into (made on first use). The
    // painter's alone until it publishes it. It still holds the picture it
    // held when it was last shown, so a painter that knows what changed
    // since may paint only that.
    HBITMAP Begin_Painting();
    // What the painter said that bitmap held when it published it last: 0
    // for a new bitmap, or when nothing was said.
    uint64_t Painting_Holds() const { return painting_holds; }
    // Makes the bitmap just painted the one shown and saved; holds is what
    // the painter may want to know of it the next time it paints it.
    void Publish(uint64_t holds = 0);
    // Forgets the painter's bitmap, for when the picture gets a new size.
    void Discard_Painting();

    // A new shown bitmap of width × height pixels (compatible with the
    // display, its pixels undefined) in place of the old one.
    void Replace(int32_t width, int32_t height);
    // Copies the shown picture whole to (x, y) of the context.
    void Copy_To(HDC target, int x, int y) const;

    std::string file_name;  // where the next Save_BMP writes
    // The picture's size, set by Replace before the picture is shared.
    int32_t bitmap_width = 0;
    int32_t bitmap_height = 0;

private:
    mutable std::mutex lock;
    HBITMAP bitmap = nullptr;    // owned; the picture shown: guarded by lock
    HBITMAP painting = nullptr;  // owned; the picture being painted
    uint64_t shown_holds = 0;    // what the painter said of each bitmap
    uint64_t painting_holds = 0;
};

// Bytes per stored row of a 24-bit BMP of the given width: three per pixel,
// rounded up to a multiple of four.
int64_t BMP_Row_Size(int64_t width);
