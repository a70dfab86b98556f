// A picture panel: a movable, resizable rectangle that shows an off-screen
// bitmap at its top-left corner, with an optional caption above it. Its menu
// offers "Move window" and "Output Bitmap".
#pragma once

#include "screen/on_screen_object_movable_rect.h"
#include "screen/picture_file.h"

#include <string>

class On_Screen_Object_Bitmap : public On_Screen_Object_Movable_RECT {
public:
    On_Screen_Object_Bitmap() = default;
    ~On_Screen_Object_Bitmap() = default;

    // Places the panel at (100, 100) with the picture's size, gives it a
    // default file name and a new bitmap of width × height pixels.
    void Setup(int32_t width, int32_t height);

    void Draw(HDC dc) override;
    Action_Code Handle_Event(Event_Code code, int x, int y) override;

    // Saves the picture as "<current directory>/<seconds>.bmp", or under the
    // next free name "<seconds>-2.bmp", ... if that file exists already.
    // If it cannot be saved, the user is told where and why, and nothing
    // is left of it.
    void Output_Bitmap();

    RECT bounds{};
    Picture_File picture;
    std::string caption;
    bool show_caption = false;
};

// The caption box sits right on top of the panel.
inline constexpr int Caption_Height = 25;
inline constexpr int Caption_Width = 400;

// The first name of the form "<directory>/<seconds>.bmp", then
// "<seconds>-2.bmp", "<seconds>-3.bmp", ... that names no existing file.
std::string Free_Bitmap_File_Name(const std::string& directory, int32_t seconds);
