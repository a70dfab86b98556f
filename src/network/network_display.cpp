// Drawing the network's numbers into the panels' pictures: a layer's states
// in black and white, a connection's weights as grey levels.
#include "network/network_display.h"

#include "network/layer_connection.h"

#include <algorithm>

namespace {

// A grey pixel word of the pictures' bitmaps, 0x00RRGGBB.
uint32_t Grey_Pixel(uint8_t level) { return level * 0x010101u; }

// Paints the pixels of a panel's picture with the given rule, one column x
// at a time where column_needed(x) says so, writing them directly into the
// picture's bitmap. The picture is painted away from the one shown and
// published when complete, with what it holds, so a repaint on the window's
// thread never waits for the painting. When the window is repainted to show
// it is the worker's pace (Repaint_Pace).
template <typename Column_Test, typename Pixel_Rule>
void Paint_Picture(Double_Buffered_Bitmap& picture, int32_t width, int32_t height, Column_Test column_needed,
                   Pixel_Rule rule, uint64_t version) {
    picture.Begin_Painting();
    if (uint32_t* pixels = picture.Painting_Pixels()) {
        const size_t row = static_cast<size_t>(picture.Width());
        width = std::min(width, picture.Width());
        height = std::min(height, picture.Height());
        for (int32_t x = 0; x < width; ++x) {
            if (!column_needed(x)) continue;
            for (int32_t y = 0; y < height; ++y)
                pixels[static_cast<size_t>(y) * row + static_cast<size_t>(x)] = Grey_Pixel(rule(x, y));
        }
    }
    picture.Publish(version);
}

}  // namespace

uint8_t State_Grey_Level(Neuron_State state) { return static_cast<uint8_t>(-state); }

uint8_t Weight_Grey_Level(double weight) {
    const double level = (weight + 1.0) * 127.5;
    // Only a level that fits a 32-bit integer is converted; beyond it, and
    // for a weight that is not a number, the level is 0.
    if (!(level > -2147483649.0 && level < 2147483648.0)) return 0;
    return static_cast<uint8_t>(static_cast<int32_t>(level) & 0xFF);
}

// States change with every sample: they are painted whole.
void Neuron_Layer::Show_States(HWND) {
    owner.Check("Show_States");
    Paint_Picture(
        panel[0].picture.bitmap, width, height, [](int32_t) { return true; },
        [this](int32_t x, int32_t y) { return State_Grey_Level(columns[x][y]); }, 0);
}

// Row l of the weights is column l of the picture. A bitmap that holds the
// weights as they were before version v (its painter said so when it
// published it) is brought up to date by painting the rows written in
// version v or later; a bitmap that holds nothing known is painted whole.
void Layer_Connection::Show_Weights(HWND) {
    owner.Check("Show_Weights");
    Double_Buffered_Bitmap& picture = panel[0].picture.bitmap;
    picture.Begin_Painting();
    const uint64_t painted = picture.Painting_Version();
    const uint64_t now = weights.Next_Version();  // rows written from here on are newer than this picture
    Paint_Picture(
        picture, Lower_Count(), Upper_Count(),
        [this, painted](int32_t l) { return painted == 0 || weights.Written_In(l) >= painted; },
        [this](int32_t l, int32_t u) { return Weight_Grey_Level(weights[l][u].weight); }, now);
}
