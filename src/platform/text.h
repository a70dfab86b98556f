// The font used by DrawTextA, for the platform's own layout (message boxes).
#pragma once

namespace text {

struct Extent {
    int width;
    int height;
};

// Loads the font, on the window's thread: it starts with it.
void Load_Font();

// Size in pixels of the text as DrawTextA draws it (lines split at '\n').
Extent Measure(const char* characters, int length);

}  // namespace text
