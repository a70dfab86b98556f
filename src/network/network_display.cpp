// Drawing the network's numbers into the panels' pictures: a layer's states
// in black and white, a connection's weights as grey levels.
#include "network/network_display.h"

#include "network/layer_connection.h"

namespace {

COLORREF Grey(uint8_t level) { return RGB(level, level, level); }

// Paints every pixel of a panel's picture through a memory context with the
// given rule, copies it to the window's context, then has the whole window
// repainted. The picture is painted away from the one shown and published
// when complete, so a repaint on the window's thread never waits for the
// painting; the repaint is awaited with nothing held.
template <typename Pixel_Rule>
void Paint_Picture(HWND window, On_Screen_Object_Bitmap& panel, int32_t width, int32_t height, Pixel_Rule rule) {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(screen);
    Picture_File& picture = panel.picture;
    HGDIOBJ previous = SelectObject(memory, picture.Begin_Painting());
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y) SetPixel(memory, x, y, Grey(rule(x, y)));
    BitBlt(screen, 0, 0, picture.bitmap_width, picture.bitmap_height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    picture.Publish();
    EndPaint(window, &paint);
    DeleteDC(memory);
    Repaint_Now(window);
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

void Neuron_Layer::Show_States(HWND window) {
    Paint_Picture(window, panel[0], width, height,
                  [this](int32_t x, int32_t y) { return State_Grey_Level(columns[x][y]); });
}

void Layer_Connection::Show_Weights(HWND window) {
    Paint_Picture(window, panel[0], Lower_Count(), Upper_Count(),
                  [this](int32_t l, int32_t u) { return Weight_Grey_Level(weights[l][u].weight); });
}
