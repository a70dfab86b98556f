// A current directory deeper than the system opens paths by: the worker
// still reads its settings and images there, and "Output Bitmap" saves
// pictures there. (What the path of a file in it is: posix_directory_tests.cpp.)
#include "training/training_worker.h"

#include "current_directory.h"
#include "message_box_support.h"
#include "support/temporary_directory.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace training_test;
namespace fs = std::filesystem;

// Enters nested directories one by one until the current directory's path is
// longer than the system opens files by; leaves them, removing each, at the end.
class Deep_Directory {
public:
    Deep_Directory() {
        while (Current_Directory().size() <= PATH_MAX + 200) {
            EXPECT_EQ(mkdir(level.c_str(), 0700), 0);
            EXPECT_EQ(chdir(level.c_str()), 0);
            ++levels;
        }
    }
    ~Deep_Directory() {
        for (const auto& entry : fs::directory_iterator(".")) fs::remove(entry.path().filename());
        for (int i = 0; i < levels; ++i) {
            EXPECT_EQ(chdir(".."), 0);
            EXPECT_EQ(rmdir(level.c_str()), 0);
        }
    }
    Deep_Directory(const Deep_Directory&) = delete;
    Deep_Directory& operator=(const Deep_Directory&) = delete;

private:
    const std::string level = std::string(200, 'd');
    int levels = 0;
};

TEST(Deep_Current_Directory, ItsFilesAreReadAndItsPicturesExported) {
    Temporary_Directory here;
    Deep_Directory deep;
    ASSERT_GT(Current_Directory().size(), static_cast<size_t>(PATH_MAX));
    Write_File("settings.txt", "6 5 4 3 0 3 0.25");
    Write_Training_Images({Noise_Image(1), Noise_Image(2), Noise_Image(3)});

    Headless_Network network;
    Training_Worker_Argument argument{&network.stack, nullptr};
    Training_Run run(argument);
    Test_Window window(DefWindowProcA);
    std::vector<std::string> boxes;
    bool built = false;
    {
        Background_Call stages([&] {
            built = run.Read_Settings() && run.Build() && run.Train();
            if (built) network.stack.Show_All();  // by the thread that owns the network
        });
        std::vector<HWND> seen;
        Pump_Messages_Until([&] {
            for (const auto& box : testing_hooks::Open_Message_Boxes()) {
                if (std::find(seen.begin(), seen.end(), box.window) != seen.end()) continue;
                seen.push_back(box.window);
                boxes.push_back(box.text);
                PostMessageA(box.window, WM_CLOSE, 0, 0);
            }
            return stages.Done();
        });
    }
    EXPECT_EQ(boxes, std::vector<std::string>{});  // neither file reported missing
    ASSERT_TRUE(built);
    EXPECT_EQ(run.settings.layer1_width, 6);
    EXPECT_EQ(run.images.data_start, 16);
    EXPECT_TRUE(Shows(*network.stack.layers[0], Noise_Image(3)));

    // "Output Bitmap" on the input layer's picture saves it here.
    On_Screen_Object_Bitmap& panel = network.stack.layers[0]->panel[0];
    panel.Output_Bitmap();
    std::vector<std::string> saved;
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() == ".bmp") saved.push_back(entry.path().filename().string());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(fs::file_size(saved[0]), 54u + 84u * 28u);
}

}  // namespace
