// What the training tells the user in a message box, and that it waits until
// the box is dismissed: a missing settings or image file, and settings the
// worker refuses. The boxes are found and dismissed through the SDL
// platform's testing hooks.
#include "training/training_image_file.h"
#include "training/training_settings.h"
#include "training/training_worker.h"

#include "message_box_support.h"
#include "support/temporary_directory.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using namespace training_test;

TEST(Settings_File, AnotherFileNameIsNotTakenForTheSettings) {
    Temporary_Directory here;
    Write_File("Settings.txt", "10 10 8 8 1 1000 0.1");
    Write_File("settings", "10 10 8 8 1 1000 0.1");
    Test_Window window(DefWindowProcA);
    bool found = true;
    Training_Settings got;
    got.layer1_width = 99;
    {
        Background_Call reader([&] { got = Read_Training_Settings(&found); });
        const auto boxes = Wait_For_Message_Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Settings data not found");
    }
    EXPECT_FALSE(found);
    EXPECT_EQ(got.layer1_width, 0);
}

TEST(Settings_File, MissingFileShowsOneBoxThenGivesAllZero) {
    Temporary_Directory here;
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

TEST(Worker_Stages, RefusedSettingsBuildNothing) {
    Temporary_Directory here;
    // A top layer of three columns would leave dreaming without its fourth unit.
    Write_File("settings.txt", "3 2 3 2 0 5 0.1");
    Write_Training_Images({Noise_Image(1)});
    Headless_Network network;
    Training_Worker_Argument argument{nullptr, &network.stack, nullptr};
    Training_Run run(argument);
    Test_Window window(DefWindowProcA);
    bool read = true;
    {
        Background_Call reading([&] { read = run.Read_Settings(); });
        const auto boxes = Wait_For_Message_Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find("is 3"), std::string::npos) << boxes[0].text;
        PostMessageA(boxes[0].window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(Pump_Messages_Until([&] { return reading.Done(); }));
    }
    EXPECT_FALSE(read);
    EXPECT_EQ(network.stack.layer_count, 0);
}

}  // namespace
