#include "training/training_image_file.h"

#include "current_directory.h"
#include "platform.h"

void Training_Image_File::Open_Training_Images() {
    stream.rdbuf(&file);
    if (file.open(Path_In_Current_Directory(Training_Images_File_Name), std::ios::in | std::ios::binary) == nullptr) {
        // As a file stream whose open failed: nothing is ever read.
        stream.setstate(std::ios::failbit);
        MessageBoxA(nullptr, "Training data not found", "", MB_OK);
    }
    Read_Header();
}

void Training_Image_File::Open_Training_Images_From(std::streambuf& bytes) {
    stream.rdbuf(&bytes);  // also clears the state
    Read_Header();
}

void Training_Image_File::Read_Header() {
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
    // Column c of the layer is column c of the image, top row first: each
    // column's states lie together, so they are filled a column at a time.
    const uint8_t* pixels = image_buffer.get();
    for (int c = 0; c < Image_Side; ++c) {
        Neuron_State* column = input.columns[c].get();
        for (int r = 0; r < Image_Side; ++r) column[r] = pixels[r * Image_Side + c] >= 128 ? 1 : 0;
    }
}
