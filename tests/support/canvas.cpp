#include "support/canvas.h"

Canvas::Canvas(int canvas_width, int canvas_height, COLORREF fill) : width(canvas_width), height(canvas_height) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    dc = CreateCompatibleDC(display);
    bitmap = CreateCompatibleBitmap(display, width, height);
    DeleteDC(display);
    previous = SelectObject(dc, bitmap);
    Fill(fill);
}

Canvas::~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void Canvas::Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

int Canvas::Count(const RECT& area, COLORREF colour) const {
    int found = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (At(x, y) == colour) ++found;
    return found;
}
