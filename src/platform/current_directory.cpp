#include "current_directory.h"

#include "platform.h"

#include <climits>
#include <vector>

std::string Current_Directory() {
    // The length may change between asking and reading if another thread
    // changes directory, so ask again until the text fits.
    std::vector<char> buffer(5000);
    for (;;) {
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

size_t Longest_Openable_Path() { return PATH_MAX - 1; }

std::string Path_In_Current_Directory(const std::string& file_name) {
    const std::string directory = Current_Directory();
    const std::string path = directory + Path_Separator + file_name;
    if (directory.empty() || path.size() > Longest_Openable_Path()) return file_name;
    return path;
}
