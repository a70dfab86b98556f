// What the training tells the user in a message box, and that it waits until
// the box is dismissed: a missing settings or image file. (Settings the
// worker refuses: worker_thread_test.cpp.) The boxes are found and dismissed
// through the SDL platform's testing hooks.
#include "training/training_image_file.h"
#include "training/training_settings.h"

#include "message_box_support.h"
#include "support/temporary_directory.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using namespace training_test;

TEST(Settings_File, MissingFileShowsOneBoxThenGivesAllZero) {
    Temporary_Directory here;
    // Other names are not taken for it.
    Write_File("Settings.txt", "10 10 8 8 1 1000 0.1");
    Write_File("settings", "10 10 8 8 1 1000 0.1");
    Test_Window window(DefWindowProcA);
    bool found = true;
    Training_Settings got;
    got.layer1_width = got.layer1_height = got.layer2_width = got.layer2_height = 99;
    got.redraw_during_training = got.images_per_connection = 99;
    got.learning_rate = 99.0;

    Background_Call reader([&] { got = Read_Training_Settings(&found); });
    const auto boxes = Wait_For_Message_Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Settings data not found");
    EXPECT_EQ(boxes[0].title, "");

    // The reader waits on the box until it is dismissed.
    EXPECT_FALSE(Pump_Messages_Until([&] { return reader.Done(); }, std::chrono::milliseconds(200)));
    PostMessageA(boxes[0].window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Pump_Messages_Until([&] { return reader.Done(); }));
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());

    EXPECT_FALSE(found);
    for (int32_t value : {got.layer1_width, got.layer1_height, got.layer2_width, got.layer2_height,
                          got.redraw_during_training, got.images_per_connection})
        EXPECT_EQ(value, 0);
    EXPECT_EQ(got.learning_rate, 0.0);
}

TEST(Image_File_Message, MissingFileShowsOneBoxThenGivesBlankImages) {
    Temporary_Directory here;
    Neuron_Layer input;
    input.Create(28, 28);
    Training_Image_File file;
    Write_Training_Images({Noise_Image(1)});
    std::filesystem::rename(Training_Images_File_Name, "trainingimages.idx");
    Test_Window window(DefWindowProcA);
    {
        Background_Call opening([&] { file.Open_Training_Images(); });
        const auto boxes = Wait_For_Message_Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Training data not found");
        EXPECT_EQ(boxes[0].title, "");
        EXPECT_FALSE(Pump_Messages_Until([&] { return opening.Done(); }, std::chrono::milliseconds(200)));
        PostMessageA(boxes[0].window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(Pump_Messages_Until([&] { return opening.Done(); }));
    }
    EXPECT_TRUE(testing_hooks::Open_Message_Boxes().empty());
    EXPECT_EQ(file.data_start, -1);
    for (int connection = 0; connection < 2; ++connection) {
        file.Rewind_Training_Images();
        for (int step = 0; step < 2; ++step) {
            file.Read_Next_Image(input);
            EXPECT_EQ(Count_On(input), 0);
        }
    }
}

}  // namespace
