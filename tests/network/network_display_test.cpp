// The grey levels of states and weights, and the pixels Show_States and
// Show_Weights paint into the panels' pictures. With no window the paint
// cycle and the repaint do nothing, so only the pictures change.
#include "network/layer_connection.h"
#include "network/network_display.h"

#include "network/random_source.h"
#include "support/pictures.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(Network_Weight_Grey_Level, RunsFromBlackToWhiteAndWrapsOutside) {
    const struct {
        double weight;
        int level;
    } table[] = {
        {-1.01, 255}, {-1.0, 0}, {-0.999, 0}, {-0.088, 116}, {0.0, 127}, {0.5, 191}, {1.0, 255}, {1.01, 0},
        // v = 382.5 truncates to 382, which is 126 modulo 256; v = -127.5
        // truncates toward zero to -127, whose low 8 bits are 129.
        {2.0, 126}, {-2.0, 129},
    };
    for (const auto& row : table) EXPECT_EQ(Weight_Grey_Level(row.weight), row.level) << row.weight;
}

TEST(Network_Weight_Grey_Level, NumbersBeyondAThirtyTwoBitLevelShowBlack) {
    for (double weight : {std::numeric_limits<double>::quiet_NaN(), infinity, -infinity, 1e300, -1e300, 2e7, -2e7,
                          std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()})
        EXPECT_EQ(Weight_Grey_Level(weight), 0) << weight;
    // Either side of the edge: v = 16843009 × 127.5 = 2147483647.5 truncates
    // to 2^31 - 1, whose low byte is 255; one more and v no longer fits.
    EXPECT_EQ(Weight_Grey_Level(16843008.0), 255);
    EXPECT_EQ(Weight_Grey_Level(16843009.0), 0);
    EXPECT_EQ(Weight_Grey_Level(-16843010.0), 1);  // v = -2147483647.5 → -2^31 + 1
    EXPECT_EQ(Weight_Grey_Level(-16843011.0), 0);
}

TEST(Network_State_Grey_Level, OnIsWhiteOffIsBlack) {
    EXPECT_EQ(State_Grey_Level(1), 255);
    EXPECT_EQ(State_Grey_Level(0), 0);
}

// Reads the grey levels of a panel's picture as it is shown.
class Picture_Reader {
public:
    explicit Picture_Reader(const On_Screen_Object_Bitmap& panel) : shown(panel.picture) {}

    int Grey(int x, int y) const {
        const COLORREF colour = shown.At(x, y);
        EXPECT_EQ(GetRValue(colour), GetGValue(colour));
        EXPECT_EQ(GetRValue(colour), GetBValue(colour));
        return GetRValue(colour);
    }

private:
    Shown_Picture shown;
};

TEST(Network_Show_States, PaintsOnWhiteAndOffBlack) {
    Neuron_Layer layer;
    layer.Create(3, 2);
    layer.Show_States(nullptr);
    {
        Picture_Reader picture(layer.panel[0]);
        for (int x = 0; x < 3; ++x)
            for (int y = 0; y < 2; ++y) EXPECT_EQ(picture.Grey(x, y), 255);
    }
    layer.columns[0][1] = 0;
    layer.columns[2][0] = 0;
    layer.Show_States(nullptr);
    {
        Picture_Reader picture(layer.panel[0]);
        for (int x = 0; x < 3; ++x)
            for (int y = 0; y < 2; ++y) EXPECT_EQ(picture.Grey(x, y), layer.columns[x][y] ? 255 : 0) << x << "," << y;
    }
    layer.Destroy();
}

TEST(Network_Show_Weights, PaintsLowerAlongXAndUpperAlongY) {
    Neuron_Layer lower;
    Neuron_Layer upper;
    lower.Create(3, 1);
    upper.Create(1, 2);
    Layer_Connection connection;
    connection.Create(&lower, &upper);
    const double weights[3][2] = {{-1.0, 0.0}, {0.5, 1.0}, {std::numeric_limits<double>::quiet_NaN(), -1.01}};
    for (int32_t l = 0; l < 3; ++l)
        for (int32_t u = 0; u < 2; ++u) connection.Set_Weight(l, u, weights[l][u]);
    connection.Show_Weights(nullptr);
    {
        Picture_Reader picture(connection.panel[0]);
        EXPECT_EQ(picture.Grey(0, 0), 0);
        EXPECT_EQ(picture.Grey(0, 1), 127);
        EXPECT_EQ(picture.Grey(1, 0), 191);
        EXPECT_EQ(picture.Grey(1, 1), 255);
        EXPECT_EQ(picture.Grey(2, 0), 0);
        EXPECT_EQ(picture.Grey(2, 1), 255);
    }
    connection.Destroy();
    lower.Destroy();
    upper.Destroy();
}

// The picture of the weights is redrawn only where rows were written since
// the bitmap being painted last showed them; whatever the sequence of
// training steps, dreaming, single writes and sizes, with the
// pictures shown after some steps and not others (so each of a picture's
// two bitmaps falls behind by a different number of changes), what is shown
// is the full drawing of the weights as they are.
void Expect_Shows_Every_Weight(const Layer_Connection& connection, const std::string& when) {
    const Shown_Picture shown(connection.panel[0].picture);
    int wrong = 0;
    for (int32_t l = 0; l < connection.Lower_Count(); ++l)
        for (int32_t u = 0; u < connection.Upper_Count(); ++u) {
            const uint8_t level = Weight_Grey_Level(connection.weights[l][u].weight);
            wrong += shown.At(l, u) != RGB(level, level, level);
        }
    EXPECT_EQ(wrong, 0) << when;
}

TEST(Network_Show_Weights, ShowsEveryWeightAfterAnySequenceThoughRedrawnOnlyWhereItChanged) {
    Set_Random_State(5);
    Test_Network network = Make_Network({{6, 5}, {4, 3}, {4, 2}});
    const Rule_Set rules = Program_Rules();
    auto show = [&](const std::string& when) {
        for (auto& connection : network.connections) {
            connection->Show_Weights(nullptr);
            Expect_Shows_Every_Weight(*connection, when);
        }
    };
    show("at the start");
    const std::vector<int> shown_after = {0, 1, 2, 4, 5, 9, 10, 11, 17, 20, 21, 29};
    for (int step = 0; step < 30; ++step) {
        const std::string when = "step " + std::to_string(step);
        const int32_t p = step < 15 ? 0 : 1;
        Training_Step(network, rules, p, Stroke_Pattern(6, 5, static_cast<uint32_t>(step)), 0.3);
        if (step % 7 == 3) {
            Layer_Connection& connection = *network.connections[p];
            connection.Set_Weight(step % connection.Lower_Count(), step % connection.Upper_Count(), 0.9 - step * 0.1);
        }
        if (std::find(shown_after.begin(), shown_after.end(), step) != shown_after.end()) show(when);
    }
    // Dreaming changes no weight; shown twice a cycle, both bitmaps catch up.
    for (int cycle = 0; cycle < 3; ++cycle) {
        network.connections[1]->Sample_Down();
        network.connections[0]->Sample_Down();
        show("dreaming cycle " + std::to_string(cycle));
        show("dreaming cycle " + std::to_string(cycle) + ", again");
    }
    // A connection made again between layers of other sizes starts afresh.
    network.layers[1]->Create(5, 3);
    network.connections[0]->Create(network.layers[0].get(), network.layers[1].get());
    network.connections[0]->Show_Weights(nullptr);
    Expect_Shows_Every_Weight(*network.connections[0], "made again");
    network.connections[0]->Set_Weight(14, 2, -0.5);
    network.connections[0]->Show_Weights(nullptr);
    network.connections[0]->Show_Weights(nullptr);
    Expect_Shows_Every_Weight(*network.connections[0], "made again, then written");
}

}  // namespace
