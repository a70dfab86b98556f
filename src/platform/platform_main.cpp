// The process entry on platforms whose programs start at main(): it opens the
// display and hands over to the program's WinMain, as the system's start-up
// code does. Without a display there is no window to show anything in, so
// the program says why on stderr and ends at once, before any of its work.
#include "platform.h"
#include "windowing.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (const auto problem = windowing::Start_Window_Thread()) {
        const char* slash = argc > 0 ? std::strrchr(argv[0], '/') : nullptr;
        const char* name = slash != nullptr ? slash + 1 : (argc > 0 ? argv[0] : "layerdream");
        std::fprintf(stderr, "%s: %s\n", name, problem->c_str());
        return 1;
    }
    std::string command_line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) command_line += ' ';
        command_line += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, command_line.data(), SW_SHOWNORMAL);
}
