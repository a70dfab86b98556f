// Telling the user that "Output Bitmap" could not save its picture.
#pragma once

#include "platform.h"

#include <string>
#include <system_error>

// Posted to a panel's window when its picture could not be saved; lParam
// holds the text to show (Show_Export_Failure takes it). The box is shown
// from the window's procedure, once the mouse event that chose "Output
// Bitmap" has been dealt with: shown inside it, the box's own message loop
// would hand the next mouse events to the same objects halfway through
// their answers to that one.
inline constexpr UINT Export_Failed_Message = WM_APP + 1;

// "Could not save <the file, its folder written out in full>: <why>".
std::string Export_Failure_Text(const std::string& file_name, const std::error_code& why);

// Has the window show the text in a message box when it next takes its
// messages; at once where there is no window to post to.
void Report_Export_Failure(HWND window, const std::string& text);

// Shows the text that came with Export_Failed_Message and waits until the
// box is dismissed; the program goes on meanwhile.
void Show_Export_Failure(LPARAM posted_text);
