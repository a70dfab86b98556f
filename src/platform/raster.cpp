// Device contexts, bitmaps, brushes, blits and pixels on a CPU raster.
#include "raster.h"

#include "platform_testing.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

Mutex raster::selection_lock;

namespace {

// A fresh memory context holds this 1 by 1 bitmap, as the system's do; it can
// be selected into any number of contexts and is never deleted.
HBITMAP Stock_Bitmap() {
    static HBITMAP stock = raster::Make_Bitmap(1, 1, 32, false);
    return stock;
}

HBRUSH Stock_Brush() {
    static HBRUSH__ white{Gdi_Kind::Brush, 0xFFFFFF, 0};
    return &white;
}

// Pixel buffers of freed bitmaps, kept for the next bitmap of the same size.
Mutex spare_lock;
std::vector<std::vector<uint8_t>> spare_pixels GUARDED_BY(spare_lock);
constexpr size_t smallest_spare = 256 * 1024;
constexpr size_t most_spares = 4;

bool Reuse_Pixels(size_t bytes, std::vector<uint8_t>& storage) {
    if (bytes < smallest_spare) return false;
    Mutex_Lock hold(spare_lock);
    for (auto spare = spare_pixels.begin(); spare != spare_pixels.end(); ++spare) {
        if (spare->size() != bytes) continue;
        storage = std::move(*spare);
        spare_pixels.erase(spare);
        return true;
    }
    return false;
}

void Keep_Pixels(std::vector<uint8_t> storage) {
    if (storage.size() < smallest_spare) return;
    Mutex_Lock hold(spare_lock);
    if (spare_pixels.size() == most_spares) spare_pixels.erase(spare_pixels.begin());
    spare_pixels.push_back(std::move(storage));
}

// The bitmaps, brushes and contexts made by the drawing calls and not yet
// deleted (stock objects and the windows' own pictures are not among them),
// as the system counts a process's drawing objects.
std::atomic<int> live_objects{0};

Gdi_Kind Kind_Of(HGDIOBJ object) { return *static_cast<const Gdi_Kind*>(object); }

bool Draws(HDC dc) {
    return dc != nullptr && (dc->kind == Dc_Kind::Memory || dc->kind == Dc_Kind::Window) &&
           dc->bitmap != nullptr;
}

// Reads pixel x of a stored row as a 32-bit word, whatever the format.
uint32_t Read_Pixel(const HBITMAP__& bitmap, const uint8_t* row, int x) {
    if (bitmap.bits_per_pixel == 32) {
        uint32_t word;
        std::memcpy(&word, row + 4 * static_cast<ptrdiff_t>(x), 4);
        return word & 0x00FFFFFFu;
    }
    const uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16);
}

void Write_Pixel(HBITMAP__& bitmap, uint8_t* row, int x, uint32_t word) {
    if (bitmap.bits_per_pixel == 32) {
        std::memcpy(row + 4 * static_cast<ptrdiff_t>(x), &word, 4);
        return;
    }
    uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
    p[0] = static_cast<uint8_t>(word);
    p[1] = static_cast<uint8_t>(word >> 8);
    p[2] = static_cast<uint8_t>(word >> 16);
}

}  // namespace

namespace raster {

HBITMAP Make_Bitmap(int width, int height, int bits_per_pixel, bool bottom_up, bool zeroed) {
    auto* bitmap = new (std::nothrow) HBITMAP__;
    if (bitmap == nullptr) return nullptr;
    bitmap->bits_per_pixel = bits_per_pixel;
    bitmap->bottom_up = bottom_up;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->stride = bits_per_pixel == 32 ? 4 * width : ((width * 24 + 31) / 32) * 4;
    const size_t bytes = static_cast<size_t>(bitmap->stride) * static_cast<size_t>(height);
    if (!Reuse_Pixels(bytes, bitmap->storage)) {
        try {
            bitmap->storage.assign(bytes, 0);
        } catch (const std::bad_alloc&) {
            delete bitmap;
            return nullptr;
        }
    } else if (zeroed) {
        std::memset(bitmap->storage.data(), 0, bytes);
    }
    bitmap->pixels = bitmap->storage.data();
    return bitmap;
}

void Resize_Bitmap(HBITMAP bitmap, int width, int height) {
    bitmap->width = width;
    bitmap->height = height;
    bitmap->stride = 4 * width;
    bitmap->storage.assign(static_cast<size_t>(bitmap->stride) * static_cast<size_t>(height), 0);
    bitmap->pixels = bitmap->storage.data();
}

void Free_Bitmap(HBITMAP bitmap) {
    if (bitmap == nullptr) return;
    Keep_Pixels(std::move(bitmap->storage));
    delete bitmap;
}

void Fill(HBITMAP target, const RECT& rect, uint32_t pixel) {
    const int left = std::max<int>(rect.left, 0);
    const int top = std::max<int>(rect.top, 0);
    const int right = std::min<int>(rect.right, target->width);
    const int bottom = std::min<int>(rect.bottom, target->height);
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        uint8_t* row = target->Row(y);
        if (target->bits_per_pixel == 32) {
            auto* words = reinterpret_cast<uint32_t*>(row);
            std::fill(words + left, words + right, pixel);
        } else {
            for (int x = left; x < right; ++x) Write_Pixel(*target, row, x, pixel);
        }
    }
}

}  // namespace raster

HDC raster::New_Dc(Dc_Kind kind) {
    auto* dc = new HDC__;
    dc->kind = kind;
    ++live_objects;
    return dc;
}

int testing_hooks::Live_Drawing_Objects() { return live_objects.load(); }

HDC CreateDCA(LPCSTR, LPCSTR, LPCSTR, const void*) { return raster::New_Dc(Dc_Kind::Display); }

HDC CreateCompatibleDC(HDC) {
    HDC dc = raster::New_Dc(Dc_Kind::Memory);
    dc->bitmap = Stock_Bitmap();
    dc->brush = Stock_Brush();
    return dc;
}

BOOL DeleteDC(HDC dc) {
    if (dc == nullptr) return FALSE;
    if (dc->kind == Dc_Kind::Window || dc->kind == Dc_Kind::Nowhere) return FALSE;  // EndPaint's
    raster::Free_Dc(dc);
    return TRUE;
}

void raster::Free_Dc(HDC dc) {
    {
        Mutex_Lock hold(raster::selection_lock);
        if (dc->bitmap != nullptr && dc->bitmap->selected_into == dc) dc->bitmap->selected_into = nullptr;
        if (dc->brush != nullptr && dc->brush != Stock_Brush()) --dc->brush->selections;
    }
    delete dc;
    --live_objects;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (dc == nullptr || width < 0 || height < 0) return nullptr;
    // An empty size gives a 1 by 1 bitmap, as the system does. A compatible
    // bitmap's pixels are undefined until it is drawn into.
    HBITMAP bitmap = width == 0 || height == 0 ? raster::Make_Bitmap(1, 1, 32, false)
                                               : raster::Make_Bitmap(width, height, 32, false, false);
    if (bitmap != nullptr) ++live_objects;
    return bitmap;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
    if (bits != nullptr) *bits = nullptr;
    if (info == nullptr || usage != DIB_RGB_COLORS) return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB) return nullptr;
    if (header.biBitCount != 24 && header.biBitCount != 32) return nullptr;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN) return nullptr;
    const bool bottom_up = header.biHeight > 0;
    const int height = bottom_up ? header.biHeight : -header.biHeight;
    HBITMAP section = raster::Make_Bitmap(header.biWidth, height, header.biBitCount, bottom_up);
    if (section == nullptr) return nullptr;
    if (header.biBitCount == 32) {
        // A 32-bit section keeps the device-independent row order too.
        section->stride = 4 * header.biWidth;
    }
    ++live_objects;
    if (bits != nullptr) *bits = section->pixels;
    return section;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (dc == nullptr || object == nullptr) return nullptr;
    if (Kind_Of(object) == Gdi_Kind::Brush) {
        Mutex_Lock hold(raster::selection_lock);
        HBRUSH previous = dc->brush != nullptr ? dc->brush : Stock_Brush();
        auto* brush = static_cast<HBRUSH>(object);
        if (previous != Stock_Brush()) --previous->selections;
        if (brush != Stock_Brush()) ++brush->selections;
        dc->brush = brush;
        return previous;
    }
    if (Kind_Of(object) != Gdi_Kind::Bitmap || dc->kind != Dc_Kind::Memory) return nullptr;
    auto* bitmap = static_cast<HBITMAP>(object);
    Mutex_Lock hold(raster::selection_lock);
    if (bitmap != Stock_Bitmap() && bitmap->selected_into != nullptr && bitmap->selected_into != dc)
        return nullptr;  // already selected into another context
    HBITMAP previous = dc->bitmap;
    if (previous != nullptr && previous->selected_into == dc) previous->selected_into = nullptr;
    if (bitmap != Stock_Bitmap()) bitmap->selected_into = dc;
    dc->bitmap = bitmap;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (object == nullptr) return FALSE;
    if (Kind_Of(object) == Gdi_Kind::Brush) {
        auto* brush = static_cast<HBRUSH>(object);
        if (brush == Stock_Brush()) return TRUE;
        {
            Mutex_Lock hold(raster::selection_lock);
            if (brush->selections > 0) return FALSE;  // still selected: the system refuses
        }
        delete brush;
        --live_objects;
        return TRUE;
    }
    if (Kind_Of(object) != Gdi_Kind::Bitmap) return FALSE;
    auto* bitmap = static_cast<HBITMAP>(object);
    if (bitmap == Stock_Bitmap()) return TRUE;
    {
        Mutex_Lock hold(raster::selection_lock);
        if (bitmap->selected_into != nullptr) return FALSE;  // still selected: the system refuses
    }
    raster::Free_Bitmap(bitmap);
    --live_objects;
    return TRUE;
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int source_x,
            int source_y, DWORD) {
    if (destination == nullptr || source == nullptr) return FALSE;
    if (!Draws(destination)) return TRUE;  // a context that draws nowhere accepts the copy
    if (!Draws(source)) return FALSE;
    HBITMAP__& to = *destination->bitmap;
    const HBITMAP__& from = *source->bitmap;
    // Clip the copy to both surfaces.
    if (source_x < 0) { x -= source_x; width += source_x; source_x = 0; }
    if (source_y < 0) { y -= source_y; height += source_y; source_y = 0; }
    if (x < 0) { source_x -= x; width += x; x = 0; }
    if (y < 0) { source_y -= y; height += y; y = 0; }
    width = std::min({width, from.width - source_x, to.width - x});
    height = std::min({height, from.height - source_y, to.height - y});
    if (width <= 0 || height <= 0) return TRUE;
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = from.Row(source_y + row);
        uint8_t* out = to.Row(y + row);
        if (from.bits_per_pixel == 32 && to.bits_per_pixel == 32) {
            std::memcpy(out + 4 * static_cast<ptrdiff_t>(x), in + 4 * static_cast<ptrdiff_t>(source_x),
                        4 * static_cast<size_t>(width));
        } else {
            for (int column = 0; column < width; ++column)
                Write_Pixel(to, out, x + column, Read_Pixel(from, in, source_x + column));
        }
    }
    return TRUE;
}

// Drawing is never deferred here: there is nothing to flush.
BOOL GdiFlush() { return TRUE; }

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    if (!Draws(dc)) return CLR_INVALID;
    HBITMAP__& bitmap = *dc->bitmap;
    if (static_cast<unsigned>(x) >= static_cast<unsigned>(bitmap.width) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(bitmap.height))
        return CLR_INVALID;
    const uint32_t pixel = raster::Pixel_From_Colour(colour);
    if (bitmap.bits_per_pixel == 32 && !bitmap.bottom_up)  // every compatible bitmap: one store
        reinterpret_cast<uint32_t*>(bitmap.pixels + static_cast<ptrdiff_t>(y) * bitmap.stride)[x] = pixel;
    else
        Write_Pixel(bitmap, bitmap.Row(y), x, pixel);
    return colour & 0x00FFFFFFu;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    if (!Draws(dc)) return CLR_INVALID;
    const HBITMAP__& bitmap = *dc->bitmap;
    if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return CLR_INVALID;
    return raster::Colour_From_Pixel(Read_Pixel(bitmap, bitmap.Row(y), x));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    auto* brush = new HBRUSH__;
    brush->colour = colour & 0x00FFFFFFu;
    ++live_objects;
    return brush;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (dc == nullptr || rect == nullptr || brush == nullptr) return 0;
    if (Draws(dc)) raster::Fill(dc->bitmap, *rect, raster::Pixel_From_Colour(brush->colour));
    return 1;
}

int SetBkMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    const int previous = dc->background_mode;
    dc->background_mode = mode;
    return previous;
}
