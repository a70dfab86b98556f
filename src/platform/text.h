// The font used by DrawTextA, for the platform's own layout (message boxes).
#pragma once

#include <string>

typedef struct _FcConfig FcConfig;

namespace text {

struct Extent {
    int width;
    int height;
};

// The file of the face text is drawn with, as fontconfig's configuration
// (null: the current one) finds it: DejaVu Sans Mono Bold by name, else the
// bold monospace face; empty if there is no font at all.
std::string Find_Font_File(FcConfig* config);

// Loads the font, on the window's thread: it starts with it.
void Load_Font();

// Size in pixels of the text as DrawTextA draws it (lines split at '\n').
Extent Measure(const char* characters, int length);

}  // namespace text
