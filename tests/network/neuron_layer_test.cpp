// Building and releasing a layer of neurons and its panel.
#include "network/neuron_layer.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace {

int Count_On(const Neuron_Layer& layer) {
    int on = 0;
    for (int32_t x = 0; x < layer.width; ++x)
        for (int32_t y = 0; y < layer.height; ++y) on += layer.columns[x][y] == 1;
    return on;
}

// A new layer's states are all on, its picture as large as its grid, at
// (100, 100).
TEST(Network_Neuron_Layer, ANewLayerIsAllOnWithAPictureOfItsSize) {
    for (const auto& [width, height] : {std::pair{28, 28}, std::pair{10, 20}, std::pair{0, 5}}) {
        Neuron_Layer layer;
        layer.Create(width, height);
        EXPECT_EQ(layer.Neuron_Count(), width * height);
        EXPECT_EQ(Count_On(layer), width * height);
        const On_Screen_Object_Bitmap& panel = layer.panel[0];
        EXPECT_EQ((std::array{panel.bounds.left, panel.bounds.top, panel.bounds.right, panel.bounds.bottom}),
                  (std::array<LONG, 4>{100, 100, 100 + width, 100 + height}));
        EXPECT_EQ(panel.picture.bitmap.Width(), width);
        EXPECT_EQ(panel.picture.bitmap.Height(), height);
        layer.Destroy();
    }
}

TEST(Network_Neuron_Layer, CreateAgainReplacesGridAndPanel) {
    Neuron_Layer layer;
    layer.Create(6, 2);
    layer.columns[5][1] = 0;
    layer.panel[0].bounds = RECT{1, 2, 3, 4};
    layer.Create(4, 4);
    EXPECT_EQ(layer.width, 4);
    EXPECT_EQ(layer.height, 4);
    EXPECT_EQ(Count_On(layer), 16);
    EXPECT_EQ(layer.panel[0].bounds.left, 100);
    EXPECT_EQ(layer.panel[0].bounds.right, 104);
    EXPECT_EQ(layer.panel[0].picture.bitmap.Width(), 4);
    EXPECT_EQ(layer.panel[0].picture.bitmap.Height(), 4);
    layer.Destroy();
}

TEST(Network_Neuron_Layer, DestroyLeavesEveryFieldZero) {
    Neuron_Layer never_built;
    never_built.Destroy();
    EXPECT_EQ(never_built.panel, nullptr);
    EXPECT_EQ(never_built.columns, nullptr);
    EXPECT_EQ(never_built.width, 0);
    EXPECT_EQ(never_built.height, 0);

    Neuron_Layer built;
    built.Create(3, 3);
    built.Destroy();
    EXPECT_EQ(built.panel, nullptr);
    EXPECT_EQ(built.columns, nullptr);
    EXPECT_EQ(built.width, 0);
    EXPECT_EQ(built.height, 0);
}

}  // namespace
