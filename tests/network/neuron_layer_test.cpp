// Building and releasing a layer of neurons and its panel.
#include "network/neuron_layer.h"

#include <gtest/gtest.h>

namespace {

int Count_On(const Neuron_Layer& layer) {
    int on = 0;
    for (int32_t x = 0; x < layer.width; ++x)
        for (int32_t y = 0; y < layer.height; ++y) on += layer.columns[x][y] == 1;
    return on;
}

TEST(Network_Neuron_Layer, TwentyEightByTwentyEightStartsAllOn) {
    Neuron_Layer layer;
    layer.Create(28, 28);
    EXPECT_EQ(layer.Neuron_Count(), 784);
    EXPECT_EQ(Count_On(layer), 784);
    const On_Screen_Object_Bitmap& panel = layer.panel[0];
    EXPECT_EQ(panel.bounds.left, 100);
    EXPECT_EQ(panel.bounds.top, 100);
    EXPECT_EQ(panel.bounds.right, 128);
    EXPECT_EQ(panel.bounds.bottom, 128);
    EXPECT_EQ(panel.picture.bitmap_width, 28);
    EXPECT_EQ(panel.picture.bitmap_height, 28);
    layer.Destroy();
}

TEST(Network_Neuron_Layer, TenByTwentyHasTenColumnsOfTwenty) {
    Neuron_Layer layer;
    layer.Create(10, 20);
    EXPECT_EQ(layer.width, 10);
    EXPECT_EQ(layer.height, 20);
    EXPECT_EQ(layer.Neuron_Count(), 200);  // the last neuron, (9, 19), has index 199
    EXPECT_EQ(Count_On(layer), 200);
    EXPECT_EQ(layer.panel[0].picture.bitmap_width, 10);
    EXPECT_EQ(layer.panel[0].picture.bitmap_height, 20);
    layer.Destroy();
}

TEST(Network_Neuron_Layer, NoColumnsGivesNoStatesAndAnEmptyPicture) {
    Neuron_Layer layer;
    layer.Create(0, 5);
    EXPECT_EQ(layer.Neuron_Count(), 0);
    EXPECT_EQ(layer.panel[0].picture.bitmap_width, 0);
    EXPECT_EQ(layer.panel[0].picture.bitmap_height, 5);
    layer.Destroy();
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
    EXPECT_EQ(layer.panel[0].picture.bitmap_width, 4);
    EXPECT_EQ(layer.panel[0].picture.bitmap_height, 4);
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
