// Where pictures are saved on a POSIX file system: a directory its owner
// cannot write gets no file, and the current directory that names the files
// "Output Bitmap" saves, at the root and deeper than paths may be.
#include "screen/on_screen_object_bitmap.h"
#include "screen/picture_file.h"

#include "current_directory.h"
#include "screen_test_support.h"
#include "support/temporary_directory.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace screen_test;
namespace fs = std::filesystem;

namespace {

class Screen_BMP_Directory_Test : public testing::Test {
protected:
    Temporary_Directory directory;
    On_Screen_Object_Bitmap panel;
};

TEST_F(Screen_BMP_Directory_Test, ADirectoryThatCannotBeWrittenGetsNoFileAndNoPartialFile) {
    const fs::path locked = directory.Path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    {
        std::ofstream probe(locked / "probe");
        if (probe.is_open()) {
            probe.close();
            fs::remove(locked / "probe");
            fs::permissions(locked, fs::perms::owner_all);
            GTEST_SKIP() << "permissions are not enforced for this user (uid " << geteuid() << ")";
        }
    }
    panel.Setup(28, 28);
    panel.picture.file_name = (locked / "picture.bmp").string();
    EXPECT_FALSE(panel.picture.Save_BMP());
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_TRUE(Directory_Entries(locked).empty());
}

TEST_F(Screen_BMP_Directory_Test, AWriteThatFailsOnAFullDiscLeavesNothingAndSaysWhy) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    // The file is written under a temporary name first; that name leads to
    // a device that is always full.
    panel.Setup(28, 28);
    panel.picture.file_name = (directory.Path() / "picture.bmp").string();
    fs::create_symlink("/dev/full", directory.Path() / "picture.bmp.partial");
    std::error_code why;
    EXPECT_FALSE(panel.picture.Save_BMP(&why));
    EXPECT_EQ(why, std::make_error_condition(std::errc::no_space_on_device)) << why.message();
    EXPECT_TRUE(Directory_Entries(directory.Path()).empty());
}

// ---------------------------------------------------------------- the current directory

class Screen_Current_Directory_Test : public testing::Test {
protected:
    Temporary_Directory directory;
};

TEST_F(Screen_Current_Directory_Test, IsTheDirectoryWithoutATrailingSeparatorExceptAtTheRoot) {
    EXPECT_EQ(Current_Directory(), fs::current_path().string());
    EXPECT_EQ(Path_In_Current_Directory("1765000000"), fs::current_path().string() + Path_Separator + "1765000000");
    fs::current_path("/");
    EXPECT_EQ(Current_Directory(), "/");
    EXPECT_EQ(Path_In_Current_Directory("x.bmp"), "//x.bmp");  // not tidied
}

TEST_F(Screen_Current_Directory_Test, AVeryLongDirectoryIsReadWhole) {
    // Nested directories, entered one by one, since the whole path is longer
    // than the system lets one call take.
    const std::string level(200, 'd');
    std::string expected = fs::current_path().string();
    int levels = 0;
    while (expected.size() <= 5200) {
        ASSERT_EQ(mkdir(level.c_str(), 0700), 0);
        ASSERT_EQ(chdir(level.c_str()), 0);
        expected += Path_Separator + level;
        ++levels;
    }
    const std::string found = Current_Directory();
    const std::string file = Path_In_Current_Directory("1765000000");
    // Climb back out, removing each level, before looking at the results.
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(chdir(".."), 0);
        ASSERT_EQ(rmdir(level.c_str()), 0);
    }
    EXPECT_GT(found.size(), 5000u);
    EXPECT_EQ(found, expected);
    // No file opens by a path that long: the name alone names it from here.
    EXPECT_EQ(file, "1765000000");
}

}  // namespace
