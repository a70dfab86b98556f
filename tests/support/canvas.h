// A memory drawing context holding a 32-bit bitmap, for tests that draw and
// then look at the pixels.
#pragma once

#include "platform.h"

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = 0x00FFFFFF);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc; }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    void Fill(COLORREF colour);
    // How many pixels of the rectangle (right and bottom excluded) have the colour.
    int Count(const RECT& area, COLORREF colour) const;

    int width;
    int height;

private:
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};
