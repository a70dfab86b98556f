// The process's current directory, and paths of files in it.
#pragma once

#include <cstddef>
#include <string>

// The separator between a directory and a file name on this platform.
#ifdef _WIN32
inline constexpr char Path_Separator = '\\';
#else
inline constexpr char Path_Separator = '/';
#endif

// The current directory as text, read whole however long it is. It has no
// trailing separator unless it is a root.
std::string Current_Directory();

// The longest path, in characters, that the system opens a file by.
size_t Longest_Openable_Path();

// The current directory, a separator and the file name. The separator is
// always added, also after a root, so a root gives two in a row. When no
// file could be opened by that path (it is longer than the system takes, or
// the directory cannot be told), the file name alone, which names the same
// file from the current directory.
std::string Path_In_Current_Directory(const std::string& file_name);
