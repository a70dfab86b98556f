// Panel pictures in tests: painted as the worker paints them, and read back
// as they are shown.
#pragma once

#include "screen/picture_file.h"

#include <functional>

// Paints every pixel of the next picture with the colour the function gives
// it, and publishes it.
void Paint_Picture(Picture_File& picture, const std::function<COLORREF(int, int)>& colour_at);

// Pixel (x, y) of the picture shown now.
COLORREF Shown_Pixel(const Picture_File& picture, int x, int y);

// The picture shown now, copied once, to read many pixels of.
class Shown_Picture {
public:
    explicit Shown_Picture(const Picture_File& picture);
    ~Shown_Picture();
    Shown_Picture(const Shown_Picture&) = delete;
    Shown_Picture& operator=(const Shown_Picture&) = delete;

    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }

private:
    HDC dc;
    HBITMAP copy;
    HGDIOBJ previous;
};
