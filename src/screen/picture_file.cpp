#include "screen/picture_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

int64_t BMP_Row_Size(int64_t width) { return ((width * 24 + 31) / 32) * 4; }

namespace {

// A copy of the bitmap in the file's own format: 24-bit blue-green-red rows,
// bottom row first, padded to four bytes. Null when there is nothing to copy.
struct Pixel_Buffer {
    HBITMAP section = nullptr;
    const char* bytes = nullptr;
    ~Pixel_Buffer() {
        if (section != nullptr) DeleteObject(section);
    }
};

void Copy_Pixels(const Picture_File& picture, const BITMAPINFO& info, Pixel_Buffer& buffer) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC target = CreateCompatibleDC(display);
    void* bits = nullptr;
    buffer.section = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    buffer.bytes = static_cast<const char*>(bits);
    if (buffer.section != nullptr) {
        HGDIOBJ old_target = SelectObject(target, buffer.section);
        picture.bitmap.Copy_To(target, 0, 0);
        SelectObject(target, old_target);
    }
    DeleteDC(target);
    DeleteDC(display);
}

}  // namespace

bool Picture_File::Save_BMP(std::error_code* failure) {
    const int32_t bitmap_width = bitmap.Width();
    const int32_t bitmap_height = bitmap.Height();
    const int64_t row_size = BMP_Row_Size(bitmap_width);

    BITMAPFILEHEADER file_header{};
    file_header.bfType = 0x4D42;  // "BM"
    file_header.bfSize = 0;
    file_header.bfReserved1 = 0;
    file_header.bfReserved2 = 0;
    file_header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);

    BITMAPINFO info{};
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = bitmap_width;
    header.biHeight = bitmap_height;  // positive: rows stored bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;

    // An empty picture has no pixel buffer: the file is the headers alone.
    Pixel_Buffer pixels;
    if (bitmap_width > 0 && bitmap_height > 0) Copy_Pixels(*this, info, pixels);

    const std::string partial = file_name + ".partial";
    std::error_code error;
    {
        struct Closer {
            void operator()(std::FILE* file) const { std::fclose(file); }
        };
        std::unique_ptr<std::FILE, Closer> file(std::fopen(partial.c_str(), "wb"));
        if (file == nullptr) {
            // Nothing was made: there is nothing to take away.
            if (failure != nullptr) *failure = std::error_code(errno, std::generic_category());
            return false;
        }
        const auto put = [&](const void* bytes, size_t count) {
            if (!error && count > 0 && std::fwrite(bytes, 1, count, file.get()) != count)
                error = std::error_code(errno, std::generic_category());
        };
        put(&file_header, sizeof file_header);
        put(&header, sizeof header);
        if (pixels.bytes != nullptr) put(pixels.bytes, static_cast<size_t>(row_size * bitmap_height));
        // Writes the stream buffers on closing may still fail (a full disc).
        if (std::fclose(file.release()) != 0 && !error) error = std::error_code(errno, std::generic_category());
    }
    if (!error) std::filesystem::rename(partial, file_name, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        if (failure != nullptr) *failure = error;
        return false;
    }
    return true;
}
