// The font a drawing context starts with, as DrawTextA draws it: a bold
// monospace face standing in for Windows' system font, with its 16-pixel
// line and about its width, since the program's captions and menu items are
// sized for it: ours must fit where they fit there (under Wine, for one,
// the captions of 51 characters stay whole).
#include "platform.h"
#include "support/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace {

constexpr COLORREF white = 0xFFFFFF;

// The bounding box of every pixel that is no longer white; right and bottom included.
struct Ink {
    int left = INT_MAX;
    int top = INT_MAX;
    int right = -1;
    int bottom = -1;
    bool Empty() const { return right < 0; }
};

Ink Ink_Of(const Canvas& canvas) {
    Ink ink;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            if (canvas.At(x, y) != white) {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

std::vector<COLORREF> Pixels_Of(const Canvas& canvas) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) pixels.push_back(canvas.At(x, y));
    return pixels;
}

// Draws the text as the program's panels and menus do: transparent, no format flags.
int Draw(Canvas& canvas, const std::string& text, RECT box) {
    SetBkMode(canvas.Dc(), TRANSPARENT);
    return DrawTextA(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &box, 0);
}

TEST(System_Font, ALineIs16PixelsHighAndItsInkStaysWithinIt) {
    Canvas canvas(500, 60, white);
    EXPECT_EQ(Draw(canvas, "Weightings that connect layer 0 to layer 1: 784X100", RECT{5, 10, 500, 60}), 16);
    const Ink ink = Ink_Of(canvas);
    ASSERT_FALSE(ink.Empty());
    EXPECT_LE(ink.left, 6);  // the text starts at the box's left edge
    EXPECT_GE(ink.top, 10 + 1);
    EXPECT_LE(ink.top, 10 + 4);    // capitals reach up near the top of the line
    EXPECT_GE(ink.bottom, 10 + 13);  // the g descends below the baseline at 13
    EXPECT_LE(ink.bottom, 10 + 15);

    Canvas two_lines(100, 60, white);
    EXPECT_EQ(Draw(two_lines, "one\ntwo", RECT{0, 0, 100, 60}), 32);
    EXPECT_GE(Ink_Of(two_lines).bottom, 16 + 8);
}

TEST(System_Font, CaptionsOfFiftyOneCharactersFitTheBoxAboveAPicture) {
    // The caption box is 400 wide. The longest captions of a run with
    // three-digit layers have 51 characters; a wider font cut off their last
    // digit (784X500 read as 784X50).
    for (const std::string caption : {"Weightings that connect layer 0 to layer 1: 784X500",
                                      "Weightings that connect layer 1 to layer 2: 500X500",
                                      "layer 2 neuron states: 100X100"}) {
        Canvas boxed(800, 25, white);
        Draw(boxed, caption, RECT{0, 0, 400, 25});
        Canvas unbounded(800, 25, white);
        Draw(unbounded, caption, RECT{0, 0, 800, 25});
        EXPECT_LT(Ink_Of(unbounded).right, 400) << caption;
        EXPECT_TRUE(Pixels_Of(boxed) == Pixels_Of(unbounded)) << caption << " is cut by its box";
    }
}

TEST(System_Font, APanelsMenuItemsFitItsWidthOfEightAndAHalfPixelsACharacter) {
    // The menu is as wide as its longest item, "Output Bitmap", allows.
    const int width = static_cast<int>(13 * 8.5);
    for (const std::string item : {"Move window", "Output Bitmap"}) {
        Canvas band(300, 17, white);
        Draw(band, item, RECT{0, 0, width, 17});
        Canvas unbounded(300, 17, white);
        Draw(unbounded, item, RECT{0, 0, 300, 17});
        EXPECT_TRUE(Pixels_Of(band) == Pixels_Of(unbounded)) << item << " is cut by its band";
    }
}

TEST(System_Font, EveryCharacterAdvancesSevenPixels) {
    // A monospace face: the ink of a glyph after n characters stands 7n
    // pixels to the right of the same glyph drawn first.
    Canvas first(300, 20, white);
    Draw(first, "M", RECT{0, 0, 300, 20});
    for (const std::string before : {"i", "M", "ii", "Wl.", "0123456789"}) {
        Canvas later(300, 20, white);
        Draw(later, before + "M", RECT{0, 0, 300, 20});
        EXPECT_EQ(Ink_Of(later).right, Ink_Of(first).right + 7 * static_cast<int>(before.size())) << before;
    }
}

TEST(System_Font, AGlyphStandsWhereItsPenStandsWhateverCameBefore) {
    // Drawing "Y" after a space gives, right of the second pen, exactly the
    // picture of "Y" drawn with its box starting one advance further on.
    for (const char glyph : {'Y', 'j', 'J', 'W', '_'}) {
        Canvas alone(100, 20, white);
        Draw(alone, std::string(1, glyph), RECT{17, 0, 100, 20});
        Canvas after_space(100, 20, white);
        Draw(after_space, std::string(" ") + glyph, RECT{10, 0, 100, 20});
        for (int y = 0; y < 20; ++y)
            for (int x = 17; x < 100; ++x) ASSERT_EQ(after_space.At(x, y), alone.At(x, y)) << glyph << " at " << x << ", " << y;
    }
}

}  // namespace
