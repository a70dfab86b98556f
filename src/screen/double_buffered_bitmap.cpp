#include "screen/double_buffered_bitmap.h"

#include <utility>

namespace {

// A 32-bit top-down section of width × height pixels, its pixels in bits; an
// empty picture has no pixels, and a bitmap compatible with the display.
HBITMAP Make_Picture_Bitmap(int32_t width, int32_t height, uint32_t*& bits) {
    bits = nullptr;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP made = nullptr;
    if (width > 0 && height > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // negative: rows stored top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        made = CreateDIBSection(display, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint32_t*>(pixels);
    } else {
        made = CreateCompatibleBitmap(display, width, height);
    }
    DeleteDC(display);
    return made;
}

}  // namespace

Double_Buffered_Bitmap::~Double_Buffered_Bitmap() {
    Discard_Painting();
    // Nobody copies any more: the object goes.
    Mutex_Lock hold(lock);
    if (shown != nullptr) DeleteObject(shown);
}

void Double_Buffered_Bitmap::Replace(int32_t new_width, int32_t new_height) {
    Discard_Painting();
    uint32_t* fresh_pixels = nullptr;
    HBITMAP fresh = Make_Picture_Bitmap(new_width, new_height, fresh_pixels);
    // The picture may already be drawn or saved on the window's thread: the
    // new bitmap and its size take the old one's place under the lock.
    {
        Mutex_Lock hold(lock);
        std::swap(shown, fresh);
        shown_pixels = fresh_pixels;
        width = new_width;
        height = new_height;
        shown_version = 0;
    }
    if (fresh != nullptr) DeleteObject(fresh);
}

HBITMAP Double_Buffered_Bitmap::Begin_Painting() {
    if (painting == nullptr) {
        painting_version = 0;
        painting = Make_Picture_Bitmap(width, height, painting_pixels);
    }
    return painting;
}

void Double_Buffered_Bitmap::Publish(uint64_t version) {
    Mutex_Lock hold(lock);
    std::swap(shown, painting);
    std::swap(shown_pixels, painting_pixels);
    painting_version = shown_version;
    shown_version = version;
}

void Double_Buffered_Bitmap::Copy_To(HDC target, int x, int y) const {
    HDC source = CreateCompatibleDC(target);
    {
        Mutex_Lock hold(lock);
        HGDIOBJ old_bitmap = SelectObject(source, shown);
        BitBlt(target, x, y, width, height, source, 0, 0, SRCCOPY);
        SelectObject(source, old_bitmap);
        // The copy is done before the painter may write into this bitmap
        // again, not merely queued.
        GdiFlush();
    }
    DeleteDC(source);
}

void Double_Buffered_Bitmap::Discard_Painting() {
    if (painting != nullptr) DeleteObject(painting);
    painting = nullptr;
    painting_pixels = nullptr;
    painting_version = 0;
}
