// The settings file: seven words in any layout, converted as atoi and atof
// read them; missing words repeat the last one. (A missing file is reported
// once and leaves everything zero: message_box_test.cpp.)
#include "training/training_settings.h"

#include "support/temporary_directory.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace {

using namespace training_test;

Training_Settings From_Text(const std::string& text) {
    std::istringstream words(text);
    return Read_Training_Settings_From(words);
}

void Expect_Settings(const Training_Settings& got, int32_t w1, int32_t h1, int32_t w2, int32_t h2, int32_t redraw,
                     int32_t images, double rate) {
    EXPECT_EQ(got.layer1_width, w1);
    EXPECT_EQ(got.layer1_height, h1);
    EXPECT_EQ(got.layer2_width, w2);
    EXPECT_EQ(got.layer2_height, h2);
    EXPECT_EQ(got.redraw_during_training, redraw);
    EXPECT_EQ(got.images_per_connection, images);
    EXPECT_EQ(got.learning_rate, rate);
}

TEST(Settings_Layout, SevenWordsInAnyLayoutGiveTheSameValues) {
    Expect_Settings(From_Text("10\n10\n8\n8\n1\n1000\n0.1\n"), 10, 10, 8, 8, 1, 1000, 0.1);
    Expect_Settings(From_Text("10 10 8 8 1 1000 0.1"), 10, 10, 8, 8, 1, 1000, 0.1);
    Expect_Settings(From_Text("  10\t10\r\n\r\n8 \t 8\r\n1\r\n1000\r\n0.1\r\n"), 10, 10, 8, 8, 1, 1000, 0.1);
}

TEST(Settings_Layout, WordsAfterTheSeventhAreIgnored) {
    Expect_Settings(From_Text("1 2 3 4 5 6 0.5 99 98\n"), 1, 2, 3, 4, 5, 6, 0.5);
}

TEST(Settings_Layout, MissingWordsRepeatTheLastWordRead) {
    Expect_Settings(From_Text("4\n5\n6\n"), 4, 5, 6, 6, 6, 6, 6.0);
    Expect_Settings(From_Text("5"), 5, 5, 5, 5, 5, 5, 5.0);
    Expect_Settings(From_Text("3 4 5 6 1 20"), 3, 4, 5, 6, 1, 20, 20.0);
    Expect_Settings(From_Text(""), 0, 0, 0, 0, 0, 0, 0.0);
}

TEST(Settings_Conversion, IntegerFieldsReadTheNumberAtTheStartOfTheWord) {
    const Training_Settings got = From_Text("7x abc 0.5 -3 +2 12abc 0.1");
    EXPECT_EQ(got.layer1_width, 7);
    EXPECT_EQ(got.layer1_height, 0);
    EXPECT_EQ(got.layer2_width, 0);
    EXPECT_EQ(got.layer2_height, -3);
    EXPECT_EQ(got.redraw_during_training, 2);
    EXPECT_EQ(got.images_per_connection, 12);
}

TEST(Settings_Conversion, LearningRateIsReadAsAtofReadsIt) {
    EXPECT_EQ(From_Text("1 1 4 1 0 0 1e-3").learning_rate, 0.001);
    EXPECT_EQ(From_Text("1 1 4 1 0 0 0,1").learning_rate, 0.0);
    EXPECT_EQ(From_Text("1 1 4 1 0 0 .25x").learning_rate, 0.25);
    EXPECT_EQ(From_Text("1 1 4 1 0 0 -2.5E1").learning_rate, -25.0);
    EXPECT_EQ(From_Text("1 1 4 1 0 0 rate").learning_rate, 0.0);
}

TEST(Settings_Conversion, HugeIntegersAreHeldToThe32BitRange) {
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    constexpr int32_t least = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(Word_To_Integer("99999999999"), most);
    EXPECT_EQ(Word_To_Integer("-99999999999"), least);
    EXPECT_EQ(Word_To_Integer("99999999999999999999999999"), most);
    EXPECT_EQ(Word_To_Integer("-99999999999999999999999999"), least);
    EXPECT_EQ(Word_To_Integer("2147483647"), most);
    EXPECT_EQ(Word_To_Integer("2147483648"), most);
    EXPECT_EQ(Word_To_Integer("-2147483648"), least);
    EXPECT_EQ(Word_To_Integer("-2147483649"), least);
    EXPECT_EQ(Word_To_Integer("2147483646"), most - 1);

    const Training_Settings got = From_Text("99999999999 -99999999999 4 1 0 0 0.1");
    EXPECT_EQ(got.layer1_width, most);
    EXPECT_EQ(got.layer1_height, least);
}

TEST(Settings_Conversion, WordToIntegerReadsAsAtoiDoes) {
    EXPECT_EQ(Word_To_Integer(""), 0);
    EXPECT_EQ(Word_To_Integer("42"), 42);
    EXPECT_EQ(Word_To_Integer("-42"), -42);
    EXPECT_EQ(Word_To_Integer("+42"), 42);
    EXPECT_EQ(Word_To_Integer("007"), 7);
    EXPECT_EQ(Word_To_Integer("7x"), 7);
    EXPECT_EQ(Word_To_Integer("x7"), 0);
    EXPECT_EQ(Word_To_Integer("0x1F"), 0);  // decimal only
    EXPECT_EQ(Word_To_Integer("1e3"), 1);
    EXPECT_EQ(Word_To_Integer("- 5"), 0);
}

TEST(Settings_File, IsReadFromTheCurrentDirectory) {
    Temporary_Directory here;
    Write_File("settings.txt", "10 10 8 8\n1\n1000\n0.1\n");
    bool found = false;
    const Training_Settings got = Read_Training_Settings(&found);
    EXPECT_TRUE(found);
    Expect_Settings(got, 10, 10, 8, 8, 1, 1000, 0.1);
}

}  // namespace
