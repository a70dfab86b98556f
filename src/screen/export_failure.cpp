#include "screen/export_failure.h"

#include <filesystem>
#include <memory>

std::string Export_Failure_Text(const std::string& file_name, const std::error_code& why) {
    std::error_code unknown;
    std::filesystem::path full = std::filesystem::absolute(file_name, unknown);
    if (unknown) full = file_name;
    return "Could not save " + full.lexically_normal().string() + ": " + why.message();
}

namespace {

void Show(const std::string& text) { MessageBoxA(nullptr, text.c_str(), "layerdream", MB_OK); }

}  // namespace

void Report_Export_Failure(HWND window, const std::string& text) {
    auto posted = std::make_unique<std::string>(text);
    if (window != nullptr &&
        PostMessageA(window, Export_Failed_Message, 0, reinterpret_cast<LPARAM>(posted.get())) != FALSE) {
        posted.release();  // the window's procedure takes it
        return;
    }
    Show(text);
}

void Show_Export_Failure(LPARAM posted_text) {
    const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(posted_text));
    if (text != nullptr) Show(*text);
}
