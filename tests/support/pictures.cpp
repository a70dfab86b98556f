#include "support/pictures.h"

void Paint_Picture(Picture_File& picture, const std::function<COLORREF(int, int)>& colour_at) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, picture.bitmap.Begin_Painting());
    for (int y = 0; y < picture.bitmap.Height(); ++y)
        for (int x = 0; x < picture.bitmap.Width(); ++x) SetPixel(dc, x, y, colour_at(x, y));
    SelectObject(dc, previous);
    DeleteDC(dc);
    picture.bitmap.Publish();
}

Shown_Picture::Shown_Picture(const Picture_File& picture) : dc(CreateCompatibleDC(nullptr)) {
    // Compatible with the display, not with the memory context, whose own
    // bitmap is one pixel of one bit on Windows.
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    copy = CreateCompatibleBitmap(display, picture.bitmap.Width(), picture.bitmap.Height());
    DeleteDC(display);
    previous = SelectObject(dc, copy);
    picture.bitmap.Copy_To(dc, 0, 0);
}

Shown_Picture::~Shown_Picture() {
    SelectObject(dc, previous);
    DeleteObject(copy);
    DeleteDC(dc);
}

COLORREF Shown_Pixel(const Picture_File& picture, int x, int y) { return Shown_Picture(picture).At(x, y); }
