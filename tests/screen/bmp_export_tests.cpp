// Saving a picture as a 24-bit BMP file: layout, pixel order, failures and
// the names "Output Bitmap" chooses. (Directories as POSIX systems have them:
// posix_directory_tests.cpp.)
#include "screen/on_screen_object_bitmap.h"
#include "screen/picture_file.h"

#include "current_directory.h"
#include "screen_test_support.h"
#include "support/temporary_directory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <thread>

using namespace screen_test;
namespace fs = std::filesystem;

namespace {

// The 54 header bytes a W × H picture must have, written out field by field.
std::vector<uint8_t> Expected_Header(int32_t width, int32_t height) {
    std::vector<uint8_t> header;
    auto put16 = [&](uint32_t v) {
        header.push_back(static_cast<uint8_t>(v));
        header.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    header.push_back('B');
    header.push_back('M');
    put32(0);   // file size: left 0
    put16(0);   // reserved
    put16(0);   // reserved
    put32(54);  // offset of the pixels
    put32(40);  // information header size
    put32(static_cast<uint32_t>(width));
    put32(static_cast<uint32_t>(height));
    put16(1);   // planes
    put16(24);  // bits per pixel
    for (int field = 0; field < 6; ++field) put32(0);  // compression, image size, resolutions, colours
    return header;
}

// A picture-panel's picture of the given size, painted by the function, saved
// under "picture.bmp" in a fresh current directory.
class Screen_BMP_Export_Test : public testing::Test {
protected:
    std::vector<uint8_t> Save(int32_t width, int32_t height, const std::function<COLORREF(int, int)>& colour_at) {
        panel.Setup(width, height);
        if (width > 0 && height > 0) Paint_Picture(panel.picture, colour_at);
        panel.picture.file_name = (directory.Path() / "picture.bmp").string();
        EXPECT_TRUE(panel.picture.Save_BMP());
        return Read_File(panel.picture.file_name);
    }
    // Pixel (x, y) of the picture as the file stores it: blue, green, red.
    static std::array<uint8_t, 3> Stored(const std::vector<uint8_t>& file, int32_t width, int32_t height, int x, int y) {
        const size_t at = 54 + static_cast<size_t>(BMP_Row_Size(width)) * static_cast<size_t>(height - 1 - y) +
                          3 * static_cast<size_t>(x);
        return {file[at], file[at + 1], file[at + 2]};
    }

    Temporary_Directory directory;
    On_Screen_Object_Bitmap panel;
};

COLORREF Mixed(int x, int y) { return RGB(x * 7 + y, y * 5 + 3, x + y * 11); }

// ---------------------------------------------------------------- layout

struct Picture_Size {
    int32_t width;
    int32_t height;
    size_t file_length;
};

class Screen_BMP_Layout_Test : public Screen_BMP_Export_Test, public testing::WithParamInterface<Picture_Size> {};

TEST_P(Screen_BMP_Layout_Test, HeadersRowsPaddingAndPixelsAreAsTheFormatSays) {
    const auto [width, height, file_length] = GetParam();
    const std::vector<uint8_t> file = Save(width, height, Mixed);
    ASSERT_EQ(file.size(), file_length);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 54), Expected_Header(width, height));

    const size_t row_size = static_cast<size_t>(BMP_Row_Size(width));
    EXPECT_EQ(row_size % 4, 0u);
    EXPECT_GE(row_size, 3u * static_cast<size_t>(width));
    EXPECT_LT(row_size, 3u * static_cast<size_t>(width) + 4);
    int wrong_pixels = 0;
    int nonzero_padding = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = Mixed(x, y);
            if (Stored(file, width, height, x, y) != std::array{GetBValue(c), GetGValue(c), GetRValue(c)}) ++wrong_pixels;
        }
        const size_t row_start = 54 + row_size * static_cast<size_t>(height - 1 - y);
        for (size_t i = 3 * static_cast<size_t>(width); i < row_size; ++i)
            if (file[row_start + i] != 0) ++nonzero_padding;
    }
    EXPECT_EQ(wrong_pixels, 0);
    EXPECT_EQ(nonzero_padding, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Screen_BMP_Layout_Test,
                         testing::Values(Picture_Size{28, 28, 2406}, Picture_Size{10, 20, 694},
                                         Picture_Size{1, 1, 58}, Picture_Size{784, 100, 235254},
                                         Picture_Size{2, 3, 78}, Picture_Size{3, 1, 66}),
                         [](const testing::TestParamInfo<Picture_Size>& size) {
                             return std::to_string(size.param.width) + "x" + std::to_string(size.param.height);
                         });

TEST_F(Screen_BMP_Export_Test, TheFirstStoredRowIsThePicturesBottomRowInBlueGreenRedOrder) {
    const std::vector<uint8_t> file = Save(5, 4, [](int x, int y) -> COLORREF {
        if (x == 0 && y == 0) return RGB(255, 0, 0);  // top-left red
        if (x == 0 && y == 3) return RGB(0, 0, 255);  // bottom-left blue
        return RGB(0, 0, 0);
    });
    ASSERT_EQ(file.size(), 54u + 16u * 4u);
    EXPECT_EQ((std::array{file[54], file[55], file[56]}), (std::array<uint8_t, 3>{255, 0, 0}));  // blue first
    const size_t last_row = 54 + 16 * 3;
    EXPECT_EQ((std::array{file[last_row], file[last_row + 1], file[last_row + 2]}), (std::array<uint8_t, 3>{0, 0, 255}));
}

TEST_F(Screen_BMP_Export_Test, GreyAndBlackAndWhitePicturesGiveEqualBytesPerPixel) {
    const std::vector<uint8_t> grey = Save(13, 7, [](int x, int y) -> COLORREF {
        const int v = (x * 19 + y * 3) & 0xFF;
        return RGB(v, v, v);
    });
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            const auto [b, g, r] = Stored(grey, 13, 7, x, y);
            EXPECT_TRUE(b == g && g == r && b == ((x * 19 + y * 3) & 0xFF)) << x << ", " << y;
        }

    const std::vector<uint8_t> black_and_white =
        Save(6, 6, [](int x, int y) -> COLORREF { return (x + y) % 2 == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0); });
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(Stored(black_and_white, 6, 6, x, y),
                      ((x + y) % 2 == 0 ? std::array<uint8_t, 3>{255, 255, 255} : std::array<uint8_t, 3>{0, 0, 0}));
}

TEST_F(Screen_BMP_Export_Test, LineEndBytesAreWrittenAsTheyAre) {
    const std::vector<uint8_t> file = Save(2, 2, [](int, int) { return RGB(0x0A, 0x0D, 0x0A); });
    ASSERT_EQ(file.size(), 54u + 8u * 2u);
    for (size_t row : {size_t{54}, size_t{62}})
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + static_cast<ptrdiff_t>(row), file.begin() + static_cast<ptrdiff_t>(row) + 8),
                  (std::vector<uint8_t>{0x0A, 0x0D, 0x0A, 0x0A, 0x0D, 0x0A, 0, 0}));
}

TEST_F(Screen_BMP_Export_Test, APictureWithoutPixelsGivesTheHeadersAlone) {
    std::vector<uint8_t> file = Save(0, 5, Mixed);
    EXPECT_EQ(file, Expected_Header(0, 5));
    file = Save(4, 0, Mixed);
    EXPECT_EQ(file, Expected_Header(4, 0));
}

TEST_F(Screen_BMP_Export_Test, SavingLeavesThePictureAsItWas) {
    Save(9, 4, Mixed);
    const Shown_Picture shown(panel.picture);
    int wrong = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            if (shown.At(x, y) != Mixed(x, y)) ++wrong;
    EXPECT_EQ(wrong, 0);
}

// The worker publishes new pictures while the main thread saves: every file
// holds one whole picture, never parts of two. Under ThreadSanitizer this
// also shows that the shown bitmap is only looked at under the picture's lock.
TEST_F(Screen_BMP_Export_Test, ASaveWhileAnotherThreadPublishesGetsOneWholePicture) {
    constexpr int width = 40, height = 30;
    panel.Setup(width, height);
    panel.picture.file_name = (directory.Path() / "picture.bmp").string();
    std::atomic<bool> saving_done{false};
    std::thread painter([&] {
        for (int frame = 1; !saving_done.load(); ++frame) {
            const COLORREF colour = RGB(frame % 256, (frame / 256) % 256, 77);
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ previous = SelectObject(dc, panel.picture.bitmap.Begin_Painting());
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) SetPixel(dc, x, y, colour);
            SelectObject(dc, previous);
            DeleteDC(dc);
            panel.picture.bitmap.Publish();
        }
    });
    int torn = 0;
    for (int save = 0; save < 200; ++save) {
        ASSERT_TRUE(panel.picture.Save_BMP());
        const std::vector<uint8_t> file = Read_File(panel.picture.file_name);
        ASSERT_EQ(file.size(), 54u + static_cast<size_t>(BMP_Row_Size(width)) * height);
        const auto first = Stored(file, width, height, 0, 0);
        bool whole = true;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) whole = whole && Stored(file, width, height, x, y) == first;
        if (!whole) ++torn;
    }
    saving_done = true;
    painter.join();
    EXPECT_EQ(torn, 0);
}

// ---------------------------------------------------------------- the file as a whole

TEST_F(Screen_BMP_Export_Test, AnExistingFileIsReplacedWholeAndNoTemporaryFileIsLeft) {
    Write_File(directory.Path() / "picture.bmp", std::string(5000, 'x'));
    const std::vector<uint8_t> file = Save(28, 28, Mixed);
    EXPECT_EQ(file.size(), 2406u);
    EXPECT_EQ(Directory_Entries(directory.Path()), (std::vector<std::string>{"picture.bmp"}));
}

TEST_F(Screen_BMP_Export_Test, AFileThatCannotBeCreatedLeavesNothingBehind) {
    panel.Setup(28, 28);
    Write_File(directory.Path() / "plain", "not a directory");
    fs::create_directories(directory.Path() / "folder" / "inside");
    const std::pair<fs::path, std::errc> failures[] = {
        {directory.Path() / "missing" / "picture.bmp", std::errc::no_such_file_or_directory},
#ifdef _WIN32
        {directory.Path() / "plain" / "picture.bmp", std::errc::no_such_file_or_directory},  // as Windows says it
#else
        {directory.Path() / "plain" / "picture.bmp", std::errc::not_a_directory},
#endif
        {directory.Path() / "folder", std::errc::is_a_directory}};
    for (const auto& [name, reason] : failures) {
        panel.picture.file_name = name.string();
        std::error_code why;
        EXPECT_FALSE(panel.picture.Save_BMP(&why)) << name;
        EXPECT_EQ(why, std::make_error_condition(reason)) << name << ": " << why.message();
    }
    EXPECT_EQ(Directory_Entries(directory.Path()), (std::vector<std::string>{"folder", "plain"}));
    EXPECT_EQ(Directory_Entries(directory.Path() / "folder"), (std::vector<std::string>{"inside"}));
    EXPECT_EQ(Read_File(directory.Path() / "plain").size(), 15u);
}

// ---------------------------------------------------------------- the names "Output Bitmap" chooses

TEST_F(Screen_BMP_Export_Test, FreeBitmapFileNameTakesTheFirstNameNoFileHas) {
    const std::string dir = directory.Path().string();
    const std::string first = dir + Path_Separator + "1765000000.bmp";
    EXPECT_EQ(Free_Bitmap_File_Name(dir, 1765000000), first);
    Write_File(first, "taken");
    EXPECT_EQ(Free_Bitmap_File_Name(dir, 1765000000), dir + Path_Separator + "1765000000-2.bmp");
    Write_File(dir + Path_Separator + "1765000000-2.bmp", "taken");
    EXPECT_EQ(Free_Bitmap_File_Name(dir, 1765000000), dir + Path_Separator + "1765000000-3.bmp");
    fs::remove(first);
    EXPECT_EQ(Free_Bitmap_File_Name(dir, 1765000000), first);
    // The seconds are a signed 32-bit number.
    EXPECT_EQ(Free_Bitmap_File_Name(dir, -2147483647 - 1), dir + Path_Separator + "-2147483648.bmp");
}

TEST_F(Screen_BMP_Export_Test, OutputBitmapNeverReplacesAnExistingFile) {
    panel.Setup(28, 28);
    const int64_t now = std::time(nullptr);
    // Every name the next few seconds could give is taken already.
    for (int64_t t = now - 1; t <= now + 5; ++t) Write_File(std::to_string(t) + ".bmp", "earlier " + std::to_string(t));

    panel.Output_Bitmap();
    const std::string prefix = Current_Directory() + Path_Separator;
    const std::string& name = panel.picture.file_name;
    ASSERT_EQ(name.compare(0, prefix.size(), prefix), 0) << name;
    const std::string file = name.substr(prefix.size());
    ASSERT_GT(file.size(), 6u);
    EXPECT_EQ(file.substr(file.size() - 6), "-2.bmp");
    const int64_t seconds = std::stoll(file.substr(0, file.size() - 6));
    EXPECT_GE(seconds, now);
    EXPECT_LE(seconds, now + 5);
    EXPECT_EQ(fs::file_size(name), 2406u);
    for (int64_t t = now - 1; t <= now + 5; ++t) {
        const std::vector<uint8_t> kept = Read_File(std::to_string(t) + ".bmp");
        EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier " + std::to_string(t));
    }
}

TEST_F(Screen_BMP_Export_Test, OutputBitmapTwiceGivesTwoFiles) {
    panel.Setup(10, 20);
    panel.Output_Bitmap();
    const std::string first = panel.picture.file_name;
    panel.Output_Bitmap();
    const std::string second = panel.picture.file_name;
    EXPECT_NE(first, second);
    EXPECT_EQ(fs::file_size(first), 694u);
    EXPECT_EQ(fs::file_size(second), 694u);
    EXPECT_EQ(Directory_Entries(directory.Path()).size(), 2u);
    // Within one second the second save takes the "-2" name.
    const std::string first_stem = first.substr(0, first.size() - 4);
    if (second.compare(0, first_stem.size(), first_stem) == 0) {
        EXPECT_EQ(second, first_stem + "-2.bmp");
    }
}

}  // namespace
