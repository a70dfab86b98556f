// The CPU raster behind the drawing calls: what a bitmap, a brush and a device
// context are on platforms without the system's own drawing services.
//
// Pixels of a 32-bit bitmap are stored as the display stores them: one 32-bit
// word 0x00RRGGBB per pixel (bytes blue, green, red, unused), rows top-down.
// A 24-bit bitmap holds blue, green, red bytes with rows padded to 4 bytes and
// stored bottom-up, as a device-independent bitmap section does.
#pragma once

#include "locks.h"
#include "platform.h"

#include <cstdint>
#include <type_traits>
#include <vector>

enum class Gdi_Kind : uint32_t { Bitmap = 0x6269746d, Brush = 0x62727368 };

namespace raster {
// Which context holds a bitmap or a brush may change on two threads at once
// (the worker paints a picture while the window's thread draws it): that
// bookkeeping is kept under this lock.
extern Mutex selection_lock;
}  // namespace raster

struct HBITMAP__ {
    Gdi_Kind kind = Gdi_Kind::Bitmap;
    int width = 0;
    int height = 0;
    int bits_per_pixel = 32;
    int stride = 0;           // bytes from one stored row to the next
    bool bottom_up = false;   // row 0 of the picture is the last stored row
    uint8_t* pixels = nullptr;
    HDC selected_into GUARDED_BY(raster::selection_lock) = nullptr;  // one context at a time
    std::vector<uint8_t> storage;

    uint8_t* Row(int y) { return pixels + static_cast<ptrdiff_t>(bottom_up ? height - 1 - y : y) * stride; }
    const uint8_t* Row(int y) const {
        return pixels + static_cast<ptrdiff_t>(bottom_up ? height - 1 - y : y) * stride;
    }
};

struct HBRUSH__ {
    Gdi_Kind kind = Gdi_Kind::Brush;
    COLORREF colour = 0;
    // Contexts holding the brush; the system refuses to delete it then.
    int selections GUARDED_BY(raster::selection_lock) = 0;
};

// Every drawing object starts with its kind, so a HGDIOBJ can be told apart.
static_assert(std::is_standard_layout_v<HBITMAP__>);
static_assert(std::is_standard_layout_v<HBRUSH__>);

enum class Dc_Kind {
    Display,  // CreateDCA("DISPLAY"): a reference for compatible objects; draws nowhere
    Memory,   // CreateCompatibleDC: draws into its selected bitmap
    Window,   // BeginPaint on the window's own thread: draws into the window's picture
    Nowhere,  // BeginPaint on another thread: accepts every call, draws nothing
};

struct HDC__ {
    Dc_Kind kind = Dc_Kind::Memory;
    HBITMAP bitmap = nullptr;  // the surface drawn into (the window's picture for Window)
    HBRUSH brush = nullptr;
    HWND window = nullptr;
    int background_mode = OPAQUE;
};

namespace raster {

// Converts a colour reference to the 32-bit pixel word and back.
inline uint32_t Pixel_From_Colour(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF Colour_From_Pixel(uint32_t p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// Creates a bitmap of the given format. Its pixels start at 0 (black) when
// zeroed is set; otherwise they are undefined: large pixel buffers of freed
// bitmaps are kept for reuse, since a window repaint makes and frees a
// bitmap of the window's size every time.
HBITMAP Make_Bitmap(int width, int height, int bits_per_pixel, bool bottom_up, bool zeroed = true);
// Gives a 32-bit bitmap a new size, keeping nothing of its old pixels.
void Resize_Bitmap(HBITMAP bitmap, int width, int height);
void Free_Bitmap(HBITMAP bitmap);
// A new context of the kind, counted among the live drawing objects until
// Free_Dc releases it.
HDC New_Dc(Dc_Kind kind);
// Releases any context, with its hold on its bitmap and brush.
void Free_Dc(HDC dc);

// Fills a rectangle of a surface, clipped to it.
void Fill(HBITMAP target, const RECT& rect, uint32_t pixel);

}  // namespace raster
