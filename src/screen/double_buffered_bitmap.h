// A picture painted on one thread and copied onto the screen on another
// (docs/threads.md). The painter paints a second bitmap of the same size,
// away from the one shown, and then publishes it: the two change places
// under the lock. Whoever copies the shown bitmap does so under the lock, so
// every copy sees the picture as it was last completely painted, and nobody
// waits for more than a copy. Nothing that waits for another thread is done
// while holding it.
//
// Both bitmaps are 32-bit device-independent sections, which the painter
// writes directly: one platform call per pixel cost the Windows program
// most of its time.
#pragma once

#include "locks.h"
#include "platform.h"

#include <cstdint>

class Double_Buffered_Bitmap {
public:
    Double_Buffered_Bitmap() = default;
    ~Double_Buffered_Bitmap();
    Double_Buffered_Bitmap(const Double_Buffered_Bitmap&) = delete;
    Double_Buffered_Bitmap& operator=(const Double_Buffered_Bitmap&) = delete;

    // A new shown bitmap of width × height pixels (its pixels undefined) in
    // place of the old one; the painter's is forgotten.
    void Replace(int32_t width, int32_t height) EXCLUDES(lock);
    // The size, set by Replace before the picture is shared with another
    // thread.
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }

    // The painter's side. The bitmap to paint the next picture into (made on
    // first use), the painter's alone until it publishes it. It still holds
    // the picture it held when it was last shown, so a painter that knows
    // what changed since may paint only that.
    HBITMAP Begin_Painting();
    // The pixels of that bitmap, to be written directly: Height() rows of
    // Width() words 0x00RRGGBB, top row first. Null for an empty picture.
    // Only between Begin_Painting and Publish.
    uint32_t* Painting_Pixels() const { return painting_pixels; }
    // The version of the painter's content that bitmap held when it was
    // last published (Publish says it): 0 for a new bitmap, or when not said.
    uint64_t Painting_Version() const { return painting_version; }
    // Makes the bitmap just painted the one shown, saying which version of
    // the painter's content it holds.
    void Publish(uint64_t version = 0) EXCLUDES(lock);

    // The copier's side: copies the shown picture whole to (x, y) of the
    // context.
    void Copy_To(HDC target, int x, int y) const EXCLUDES(lock);

private:
    void Discard_Painting();

    // The window's thread takes it to paint: nobody holds it while waiting
    // for that thread.
    mutable Mutex lock{Lock_Role::paint};
    int32_t width = 0;
    int32_t height = 0;
    HBITMAP shown GUARDED_BY(lock) = nullptr;  // owned
    uint32_t* shown_pixels GUARDED_BY(lock) = nullptr;
    uint64_t shown_version GUARDED_BY(lock) = 0;
    HBITMAP painting = nullptr;  // owned; the painter's alone
    uint32_t* painting_pixels = nullptr;
    uint64_t painting_version = 0;
};
