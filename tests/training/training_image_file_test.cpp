// The training image file: a 16-byte header that is skipped, then 784-byte
// images read one per step into the 28 × 28 input layer in black and white.
// A rewind goes back to the first image, unless a read has failed: then the
// last content of the buffer is presented for ever.
#include "training/training_image_file.h"

#include "support/temporary_directory.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace training_test;

class Image_File : public ::testing::Test {
protected:
    Image_File() { input.Create(28, 28); }

    // The images each step shows, connection after connection, each
    // connection starting with a rewind, as the worker reads them.
    std::vector<std::vector<int>> Shown_Per_Connection(int connections, int steps,
                                                       const std::vector<Image>& candidates) {
        std::vector<std::vector<int>> shown(static_cast<size_t>(connections));
        for (auto& connection : shown) {
            file.Rewind_Training_Images();
            for (int step = 0; step < steps; ++step) {
                file.Read_Next_Image(input);
                connection.push_back(Shown_Image(input, candidates));
            }
        }
        return shown;
    }

    Temporary_Directory here;
    Neuron_Layer input;
    Training_Image_File file;
};

using Shown = std::vector<std::vector<int>>;

TEST_F(Image_File, EveryConnectionSeesTheFirstImagesInOrder) {
    const std::vector<Image> images{Noise_Image(0), Noise_Image(1), Noise_Image(2)};
    Write_Training_Images(images, Idx_Header(3));
    file.Open_Training_Images();
    EXPECT_EQ(file.data_start, 16);
    // The last image ends at the end of the file: no read has failed, so the
    // rewind goes back to image 0.
    EXPECT_EQ(Shown_Per_Connection(2, 3, images), (Shown{{0, 1, 2}, {0, 1, 2}}));
}

TEST_F(Image_File, FewerStepsThanImagesStartEachConnectionAtImageZero) {
    const std::vector<Image> images{Noise_Image(0), Noise_Image(1), Noise_Image(2)};
    Write_Training_Images(images, Idx_Header(3));
    file.Open_Training_Images();
    EXPECT_EQ(Shown_Per_Connection(3, 2, images), (Shown{{0, 1}, {0, 1}, {0, 1}}));
}

TEST_F(Image_File, ReadingPastTheLastImageRepeatsItForEver) {
    const std::vector<Image> images{Noise_Image(0), Noise_Image(1), Noise_Image(2)};
    Write_Training_Images(images, Idx_Header(3));
    file.Open_Training_Images();
    // The fourth read finds nothing: image 2 is presented again, and the
    // failed stream is not moved back by the rewind.
    EXPECT_EQ(Shown_Per_Connection(2, 4, images), (Shown{{0, 1, 2, 2}, {2, 2, 2, 2}}));
}

TEST_F(Image_File, FileCutInsideAnImageGivesThePartialImageOverTheOldOne) {
    const Image first = Noise_Image(10);
    const Image second = Noise_Image(11);
    constexpr size_t kept = 300;
    Write_File(Training_Images_File_Name, Idx_Header(2) + Bytes_Of(first) + Bytes_Of(second).substr(0, kept));
    // The first 300 bytes of the cut image, the rest of the one before it.
    Image mixed = first;
    std::copy(second.begin(), second.begin() + kept, mixed.begin());

    file.Open_Training_Images();
    EXPECT_EQ(Shown_Per_Connection(2, 3, {first, second, mixed}), (Shown{{0, 2, 2}, {2, 2, 2}}));
}

TEST_F(Image_File, PixelsFrom128OnAreOnAndLieAtColumnAndRow) {
    Image image{};
    image[0] = 127;
    image[1] = 128;
    image[28] = 200;  // row 1, column 0
    image[29] = 255;  // row 1, column 1
    image[783] = 128;
    Write_Training_Images({image, Noise_Image(5)});
    file.Open_Training_Images();
    file.Read_Next_Image(input);
    EXPECT_EQ(input.columns[0][0], 0);  // 127
    EXPECT_EQ(input.columns[1][0], 1);  // 128
    EXPECT_EQ(input.columns[0][1], 1);  // byte 28
    EXPECT_EQ(input.columns[1][1], 1);  // byte 29
    EXPECT_EQ(input.columns[27][27], 1);
    EXPECT_EQ(Count_On(input), 4);

    file.Read_Next_Image(input);
    EXPECT_TRUE(Shows(input, Noise_Image(5)));
}

TEST_F(Image_File, EveryGreyLevelIsSplitAt128) {
    Image levels{};
    for (int k = 0; k < Image_Size; ++k) levels[k] = static_cast<uint8_t>(k * 7 + k / 256);
    Write_Training_Images({levels});
    file.Open_Training_Images();
    file.Read_Next_Image(input);
    for (int k = 0; k < Image_Size; ++k)
        EXPECT_EQ(input.columns[k % 28][k / 28], levels[k] >= 128 ? 1 : 0) << "pixel " << k << " of grey " << int(levels[k]);
}

TEST_F(Image_File, SinglePixelsLandAtTheirColumnAndRow) {
    for (int byte : {28, 29, 55, 56, 783}) {
        Temporary_Directory fresh;
        Image image{};
        image[byte] = 255;
        Write_Training_Images({image});
        Training_Image_File one;
        one.Open_Training_Images();
        one.Read_Next_Image(input);
        EXPECT_EQ(Count_On(input), 1) << "byte " << byte;
        EXPECT_EQ(input.columns[byte % 28][byte / 28], 1) << "byte " << byte;
    }
}

TEST_F(Image_File, HeaderValuesChangeNothing) {
    const std::vector<Image> images{Noise_Image(20), Noise_Image(21)};
    const std::string headers[] = {Idx_Header(2), Idx_Header(0), Idx_Header(60000),
                                   std::string("\xFF\xFF\xFF\xFF\x00\x00\x00\x01\x00\x00\x00\x05\x00\x00\x00\x40", 16),
                                   std::string(16, '\0')};
    for (const std::string& header : headers) {
        Temporary_Directory fresh;
        Write_Training_Images(images, header);
        Training_Image_File other;
        other.Open_Training_Images();
        EXPECT_EQ(other.data_start, 16);
        std::vector<int> shown;
        for (int step = 0; step < 2; ++step) {
            other.Read_Next_Image(input);
            shown.push_back(Shown_Image(input, images));
        }
        EXPECT_EQ(shown, (std::vector<int>{0, 1}));
    }
}

TEST_F(Image_File, FileShorterThanTheHeaderNeverGivesAnImage) {
    // Bright bytes: had any of them reached the input, it would show them.
    Write_File(Training_Images_File_Name, std::string(10, '\xFF'));
    file.Open_Training_Images();
    EXPECT_EQ(file.data_start, -1);
    for (int connection = 0; connection < 2; ++connection) {
        file.Rewind_Training_Images();
        for (int step = 0; step < 3; ++step) {
            file.Read_Next_Image(input);
            EXPECT_EQ(Count_On(input), 0);
        }
    }
}

TEST_F(Image_File, HeaderAloneGivesBlankImages) {
    Write_File(Training_Images_File_Name, Idx_Header(0));
    file.Open_Training_Images();
    EXPECT_EQ(file.data_start, 16);
    file.Rewind_Training_Images();
    file.Read_Next_Image(input);
    EXPECT_EQ(Count_On(input), 0);
}

}  // namespace
