// Files for tests: written and read whole, as bytes, and a directory's entries.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Writes the bytes to the file, replacing what it held.
void Write_File(const std::filesystem::path& path, const std::string& bytes);

// The bytes of the file (none if it cannot be read).
std::vector<uint8_t> Read_File(const std::filesystem::path& path);

// The names of the entries of a directory, sorted.
std::vector<std::string> Directory_Entries(const std::filesystem::path& directory);
