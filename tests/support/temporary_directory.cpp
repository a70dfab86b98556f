#include "support/temporary_directory.h"

#include <atomic>
#include <string>
#include <unistd.h>

Temporary_Directory::Temporary_Directory() {
    static std::atomic<int> made{0};
    previous = std::filesystem::current_path();
    path = std::filesystem::temp_directory_path() /
           ("layerdream-test-" + std::to_string(getpid()) + "-" + std::to_string(made++));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
}

Temporary_Directory::~Temporary_Directory() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
}
