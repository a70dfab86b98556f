#include "training/training_image_file.h"

#include "current_directory.h"
#include "platform.h"

void Training_Image_File::Open_Training_Images() {
    stream.open(Path_In_Current_Directory(Training_Images_File_Name), std::ios::in | std::ios::binary);
    if (!stream.is_open()) MessageBoxA(nullptr, "Training data not found", "", MB_OK);
    // The header's four fields (magic number, count, rows, columns) are read
    // and not used: every image is 28 by 28.
    for (int field = 0; field < 4; ++field) {
        int32_t value = 0;
        stream.read(reinterpret_cast<char*>(&value), sizeof value);
    }
    data_start = stream.fail() ? -1 : static_cast<std::streamoff>(stream.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in));
    image_buffer = std::make_unique<uint8_t[]>(Image_Size);
}

void Training_Image_File::Rewind_Training_Images() {
    if (stream.fail()) {
        stream.clear();
        return;
    }
    stream.seekg(data_start, std::ios::beg);
}

void Training_Image_File::Read_Next_Image(Neuron_Layer& input) {
    stream.read(reinterpret_cast<char*>(image_buffer.get()), Image_Size);
    for (int r = 0; r < Image_Side; ++r)
        for (int c = 0; c < Image_Side; ++c)
            input.columns[c][r] = image_buffer[r * Image_Side + c] >= 128 ? 1 : 0;
}
