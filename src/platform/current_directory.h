// The process's current directory, and paths of files in it.
#pragma once

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

// The current directory, a separator and the file name. The separator is
// always added, also after a root, so a root gives two in a row.
std::string Path_In_Current_Directory(const std::string& file_name);
