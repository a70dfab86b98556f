// The training image file: a 16-byte header that is skipped, then 784-byte
// images read one per step into the 28 × 28 input layer in black and white.
// A rewind goes back to the first image, unless a read has failed: then the
// last content of the buffer is presented for ever. (Files that are empty,
// shorter than the header, cut inside an image or with a header of other
// sizes: the fuzz corpus, read against a model of the stream, tests/fuzz.)
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

TEST_F(Image_File, EachPixelIsOnFrom128AndLiesAtItsColumnAndRow) {
    Image levels{};
    for (int k = 0; k < Image_Size; ++k) levels[k] = static_cast<uint8_t>(k * 7 + k / 256);
    Write_Training_Images({levels});
    file.Open_Training_Images();
    file.Read_Next_Image(input);
    for (int k = 0; k < Image_Size; ++k)
        EXPECT_EQ(input.columns[k % 28][k / 28], levels[k] >= 128 ? 1 : 0) << "pixel " << k << " of grey " << int(levels[k]);
}

}  // namespace
