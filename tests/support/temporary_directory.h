// A fresh directory that is the current one for as long as the object lives.
#pragma once

#include <filesystem>

class Temporary_Directory {
public:
    Temporary_Directory();
    ~Temporary_Directory();
    Temporary_Directory(const Temporary_Directory&) = delete;
    Temporary_Directory& operator=(const Temporary_Directory&) = delete;

    const std::filesystem::path& Path() const { return path; }

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};
