// The CPU raster behind the drawing calls: fills, pixels, blits between
// formats, selection rules and text.
#include "platform.h"
#include "support/canvas.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr COLORREF white = 0xFFFFFF;
constexpr COLORREF black = 0x000000;

TEST(Raster, FillRectCoversLeftAndTopButNotRightAndBottomAndClips) {
    Canvas canvas(10, 10, white);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT area{2, 3, 5, 7};
    FillRect(canvas.Dc(), &area, red);
    EXPECT_EQ(canvas.Count(RECT{0, 0, 10, 10}, RGB(255, 0, 0)), 3 * 4);
    EXPECT_EQ(canvas.At(2, 3), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(5, 3), white);
    EXPECT_EQ(canvas.At(2, 7), white);
    RECT beyond{-5, -5, 100, 2};
    FillRect(canvas.Dc(), &beyond, red);
    EXPECT_EQ(canvas.Count(RECT{0, 0, 10, 2}, RGB(255, 0, 0)), 20);
    DeleteObject(red);
}

TEST(Raster, ColourReferencesRoundTripThroughPixels) {
    Canvas canvas(4, 1);
    const COLORREF colours[] = {RGB(1, 2, 3), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(SetPixel(canvas.Dc(), x, 0, colours[x]), colours[x]);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.At(x, 0), colours[x]);
    EXPECT_EQ(SetPixel(canvas.Dc(), 4, 0, black), CLR_INVALID);
    EXPECT_EQ(SetPixel(canvas.Dc(), -1, 0, black), CLR_INVALID);
    EXPECT_EQ(GetPixel(canvas.Dc(), 0, 1), CLR_INVALID);
}

TEST(Raster, BitBltIsClippedToBothSurfaces) {
    Canvas source(4, 4, RGB(9, 9, 9));
    Canvas target(6, 6, white);
    // Reaching past the target's right and bottom edges.
    BitBlt(target.Dc(), 4, 4, 4, 4, source.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(target.Count(RECT{0, 0, 6, 6}, RGB(9, 9, 9)), 4);
    // Starting left of and above the target: only the overlapping part lands.
    target.Fill(white);
    SetPixel(source.Dc(), 3, 3, RGB(1, 1, 1));
    BitBlt(target.Dc(), -2, -2, 4, 4, source.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(target.At(1, 1), RGB(1, 1, 1));
    EXPECT_EQ(target.Count(RECT{0, 0, 6, 6}, white), 36 - 4);
    // Reading past the source copies only what the source has.
    target.Fill(white);
    BitBlt(target.Dc(), 0, 0, 6, 6, source.Dc(), 2, 2, SRCCOPY);
    EXPECT_EQ(target.Count(RECT{0, 0, 6, 6}, white), 36 - 4);
    EXPECT_EQ(target.At(1, 1), RGB(1, 1, 1));
}

TEST(Raster, CopyIntoA24BitSectionStoresRowsBottomUpInBlueGreenRedWithZeroPadding) {
    Canvas source(3, 2);
    SetPixel(source.Dc(), 0, 0, RGB(10, 20, 30));   // top-left
    SetPixel(source.Dc(), 2, 1, RGB(40, 50, 60));   // bottom-right
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC target = CreateCompatibleDC(source.Dc());
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    HGDIOBJ previous = SelectObject(target, section);
    BitBlt(target, 0, 0, 3, 2, source.Dc(), 0, 0, SRCCOPY);
    const auto* bytes = static_cast<const uint8_t*>(bits);
    // Rows are 12 bytes: 9 of pixels and 3 of padding. The bottom row comes first.
    EXPECT_EQ(bytes[6], 60);  // bottom-right blue
    EXPECT_EQ(bytes[7], 50);
    EXPECT_EQ(bytes[8], 40);
    for (int i = 9; i < 12; ++i) EXPECT_EQ(bytes[i], 0) << "padding byte " << i;
    EXPECT_EQ(bytes[12], 30);  // top-left blue
    EXPECT_EQ(bytes[13], 20);
    EXPECT_EQ(bytes[14], 10);
    EXPECT_EQ(GetPixel(target, 0, 0), RGB(10, 20, 30));
    SelectObject(target, previous);
    DeleteObject(section);
    DeleteDC(target);
}

TEST(Raster, SectionsAndBitmapsOfNoSize) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 0;
    info.bmiHeader.biHeight = 5;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP empty = CreateCompatibleBitmap(display, 0, 5);
    EXPECT_NE(empty, nullptr);  // a 1 by 1 bitmap, as the system gives
    EXPECT_EQ(CreateCompatibleBitmap(display, -1, 5), nullptr);
    DeleteObject(empty);
    DeleteDC(display);
}

TEST(Raster, ABitmapIsSelectedIntoOneContextAtATimeAndCannotBeDeletedWhileSelected) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(display, 8, 8);
    HDC first = CreateCompatibleDC(display);
    HDC second = CreateCompatibleDC(display);
    HGDIOBJ stock = SelectObject(first, bitmap);
    EXPECT_NE(stock, nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(first, stock), bitmap);
    EXPECT_NE(SelectObject(second, bitmap), nullptr);
    DeleteDC(second);  // deleting a context lets its bitmap go
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(first);
    DeleteDC(display);
}

TEST(Raster, ABrushCannotBeDeletedWhileSelected) {
    Canvas canvas(2, 2);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ previous = SelectObject(canvas.Dc(), brush);
    EXPECT_FALSE(DeleteObject(brush));
    SelectObject(canvas.Dc(), previous);
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(Raster, TextIsDarkInsideItsRectangleAndClippedToIt) {
    Canvas canvas(200, 40, white);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    RECT box{10, 5, 50, 30};
    const int height = DrawTextA(canvas.Dc(), "MMMMMMMMMMMM", -1, &box, 0);
    EXPECT_GE(height, 14);
    EXPECT_LE(height, 20);
    int dark_inside = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool dark = GetRValue(canvas.At(x, y)) < 128;
            const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            if (dark && !inside) ADD_FAILURE() << "text drawn outside its box at " << x << ", " << y;
            if (dark && inside) ++dark_inside;
        }
    }
    EXPECT_GT(dark_inside, 40);
}

TEST(Raster, OpaqueTextFillsItsBackgroundWhiteTransparentTextDoesNot) {
    Canvas canvas(100, 30, RGB(0, 0, 255));
    RECT box{0, 0, 100, 30};
    SetBkMode(canvas.Dc(), TRANSPARENT);
    DrawTextA(canvas.Dc(), "ii", 2, &box, 0);
    EXPECT_EQ(canvas.Count(RECT{0, 0, 100, 30}, white), 0);
    EXPECT_EQ(SetBkMode(canvas.Dc(), OPAQUE), TRANSPARENT);
    DrawTextA(canvas.Dc(), "ii", 2, &box, 0);
    EXPECT_GT(canvas.Count(RECT{0, 0, 8, 16}, white), 60);  // the two letters' cells, less their ink
    EXPECT_EQ(canvas.At(50, 5), RGB(0, 0, 255));
}

}  // namespace
