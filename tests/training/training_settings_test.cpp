// The settings file: seven words in any layout, converted as atoi and atof
// read them; missing words repeat the last one. (A missing file is reported
// once and leaves everything zero: message_box_test.cpp. Every settings file
// of the fuzz corpus against a model of the words: tests/fuzz.)
#include "training/training_settings.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <tuple>

namespace {

auto Fields_Of(const std::string& text) {
    std::istringstream words(text);
    const Training_Settings got = Read_Training_Settings_From(words);
    return std::make_tuple(got.layer1_width, got.layer1_height, got.layer2_width, got.layer2_height,
                           got.redraw_during_training, got.images_per_connection, got.learning_rate);
}

TEST(Settings_Layout, SevenWordsInAnyLayoutMissingOnesRepeatingTheLastAndExtraOnesIgnored) {
    using Fields = decltype(Fields_Of(""));
    const std::pair<const char*, Fields> cases[] = {
        {"10\n10\n8\n8\n1\n1000\n0.1\n", {10, 10, 8, 8, 1, 1000, 0.1}},
        {"10 10 8 8 1 1000 0.1", {10, 10, 8, 8, 1, 1000, 0.1}},
        {"  10\t10\r\n\r\n8 \t 8\r\n1\r\n1000\r\n0.1\r\n", {10, 10, 8, 8, 1, 1000, 0.1}},
        {"1 2 3 4 5 6 0.5 99 98\n", {1, 2, 3, 4, 5, 6, 0.5}},
        {"4\n5\n6\n", {4, 5, 6, 6, 6, 6, 6.0}},
        {"5", {5, 5, 5, 5, 5, 5, 5.0}},
        {"3 4 5 6 1 20", {3, 4, 5, 6, 1, 20, 20.0}},
        {"", {0, 0, 0, 0, 0, 0, 0.0}},
        // Integers are the number at the start of the word; the rate is read as atof reads it.
        {"7x abc 0.5 -3 +2 12abc .25x", {7, 0, 0, -3, 2, 12, 0.25}},
        {"1 1 4 1 0 0 1e-3", {1, 1, 4, 1, 0, 0, 0.001}},
        {"1 1 4 1 0 0 0,1", {1, 1, 4, 1, 0, 0, 0.0}},
        {"1 1 4 1 0 0 -2.5E1", {1, 1, 4, 1, 0, 0, -25.0}},
        {"1 1 4 1 0 0 rate", {1, 1, 4, 1, 0, 0, 0.0}},
        {"99999999999 -99999999999 4 1 0 0 0.1",
         {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 4, 1, 0, 0, 0.1}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Fields_Of(text), expected) << '"' << text << '"';
}

TEST(Settings_Conversion, WordToIntegerReadsAsAtoiDoesHeldToThe32BitRange) {
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    constexpr int32_t least = std::numeric_limits<int32_t>::min();
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0},           {"42", 42},       {"-42", -42},     {"+42", 42},     {"007", 7},
        {"7x", 7},         {"x7", 0},        {"0x1F", 0},      {"1e3", 1},      {"- 5", 0},
        {"2147483646", most - 1},            {"2147483647", most},              {"2147483648", most},
        {"-2147483648", least},              {"-2147483649", least},            {"99999999999", most},
        {"-99999999999", least},             {"99999999999999999999999999", most},
        {"-99999999999999999999999999", least},
    };
    for (const auto& [word, expected] : cases) EXPECT_EQ(Word_To_Integer(word), expected) << '"' << word << '"';
}

}  // namespace
