#include "screen/on_screen_object_bitmap.h"

#include "current_directory.h"
#include "screen/export_failure.h"

#include <ctime>
#include <filesystem>
#include <utility>

namespace {

// The low 32 bits of the seconds since 1970, as a signed number.
int32_t Clock_Seconds() {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr))));
}

}  // namespace

void On_Screen_Object_Bitmap::Setup(int32_t width, int32_t height) {
    rect = &bounds;
    bounds = RECT{100, 100, 100 + width, 100 + height};
    picture.file_name = Path_In_Current_Directory(std::to_string(Clock_Seconds()));
    picture.bitmap.Replace(width, height);
}

void On_Screen_Object_Bitmap::Draw(HDC dc) {
    HBRUSH white = CreateSolidBrush(0xFFFFFF);
    HGDIOBJ old_brush = SelectObject(dc, white);
    FillRect(dc, rect, white);
    if (show_caption) {
        RECT box{bounds.left, bounds.top - Caption_Height, bounds.left + Caption_Width, bounds.top};
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &box, 0);
    }
    picture.bitmap.Copy_To(dc, bounds.left, bounds.top);
    // The brush is let go by the context first: a selected brush cannot be deleted.
    SelectObject(dc, old_brush);
    DeleteObject(white);
}

Action_Code On_Screen_Object_Bitmap::Handle_Event(Event_Code code, int x, int y) {
    switch (code) {
        case Right_Button_Up:
            Open_Own_Menu({"Move window", "Output Bitmap"}, x, y);
            return Open_Menu;
        case Menu_Closed:
            if (menu.selected_index == 0) Start_Move(x, y);
            if (menu.selected_index == 1) Output_Bitmap();
            return No_Action;
        default:
            return On_Screen_Object_Movable_RECT::Handle_Event(code, x, y);
    }
}

std::string Free_Bitmap_File_Name(const std::string& directory, int32_t seconds) {
    std::string stem = directory;
    stem += Path_Separator;
    stem += std::to_string(seconds);
    auto numbered = [&stem](int copy) {
        std::string name = stem;
        if (copy > 1) name.append("-").append(std::to_string(copy));
        return name.append(".bmp");
    };
    std::string name = numbered(1);
    std::error_code error;
    for (int copy = 2; std::filesystem::exists(name, error); ++copy) name = numbered(copy);
    return name;
}

void On_Screen_Object_Bitmap::Output_Bitmap() {
    // Named from the current directory itself when the names it gives can
    // be opened (with room for the longest: "-2147483648-<copy>.bmp.partial").
    std::string directory = Current_Directory();
    if (directory.empty() || directory.size() + 40 > Longest_Openable_Path()) directory.assign(1, '.');
    picture.file_name = Free_Bitmap_File_Name(directory, Clock_Seconds());
    std::error_code failure;
    if (!picture.Save_BMP(&failure)) Report_Export_Failure(window, Export_Failure_Text(picture.file_name, failure));
}
