// How fast the real program's display is: the main window with its blue
// background and the network's five pictures, painted by the window's thread
// for a worker that asks for a repaint after every picture, as the program
// runs.
//
//   display_benchmark [--repaints N] [--images N] [--cycles N]
//
// It reports, for networks 784-100-64 and 784-500-500:
//   - the median time the window's thread takes to paint the 1200 × 900
//     window (its WM_PAINT), over the paints of the whole run,
//   - the median time a repaint asked for by another thread (InvalidateRect
//     + UpdateWindow) holds that thread up,
//   - training images per second with redrawing after every image,
//   - dreaming cycles per second.
// Runs headless (SDL's offscreen driver, the default without DISPLAY) or in
// an X server.
#include "app/main_window.h"
#include "network/layer_stack.h"
#include "screen/on_screen_object_background.h"
#include "screen/on_screen_object_manager.h"
#include "training/training_worker.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int repaints = 300;
    int images = 100;  // per connection
    int cycles = 60;
};

struct Network_Size {
    int layer1_width, layer1_height, layer2_width, layer2_height;
};

// Digit-like training images: a few thick random strokes on black.
void Write_Images(const std::filesystem::path& path, int count) {
    std::ofstream file(path, std::ios::binary);
    const unsigned char header[16] = {0, 0, 8, 3, 0, 0, 0, 0, 0, 0, 0, 28, 0, 0, 0, 28};
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    std::mt19937 random(7);
    for (int k = 0; k < count; ++k) {
        std::vector<unsigned char> image(784, 0);
        for (int stroke = 0; stroke < 3; ++stroke) {
            double x = 8 + random() % 12, y = 6 + random() % 16;
            const double dx = (static_cast<int>(random() % 7) - 3) * 0.4, dy = (static_cast<int>(random() % 7) - 3) * 0.4;
            for (int step = 0; step < 14; ++step, x += dx, y += dy)
                for (int oy = -1; oy <= 1; ++oy)
                    for (int ox = -1; ox <= 1; ++ox) {
                        const int px = static_cast<int>(x) + ox, py = static_cast<int>(y) + oy;
                        if (px >= 0 && px < 28 && py >= 0 && py < 28) image[py * 28 + px] = 255;
                    }
        }
        file.write(reinterpret_cast<const char*>(image.data()), 784);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// The paints of the window, timed on the window's thread.
std::vector<double> paint_costs;

LRESULT CALLBACK Timing_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_PAINT) return Main_Window_Procedure(window, message, wparam, lparam);
    const auto start = Clock::now();
    Paint_Main_Window(window);
    paint_costs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    return 0;
}

struct Results {
    double paint_median_ms = 0;
    double repaint_median_ms = 0;
    double images_per_second = 0;
    double cycles_per_second = 0;
};

// The worker's side: everything the program's worker does with the window.
void Measure(HWND window, const Options& options, Results& results) {
    std::vector<double> costs;
    for (int i = 0; i < options.repaints; ++i) {
        const auto start = Clock::now();
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        costs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    Layer_Stack stack;
    stack.window = window;
    stack.manager = &Process_Screen_Object_Manager();
    Worker_Stop stop;
    Training_Worker_Argument argument{&stack, &stop};
    {
        Training_Run run(argument);
        run.Read_Settings();
        run.Build();
        // Network with the pictures in place: measure the repaint again.
        for (int i = 0; i < options.repaints; ++i) {
            const auto start = Clock::now();
            InvalidateRect(window, nullptr, TRUE);
            UpdateWindow(window);
            costs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        results.repaint_median_ms = Median(costs);

        auto start = Clock::now();
        run.Train();
        results.images_per_second =
            2.0 * options.images / std::chrono::duration<double>(Clock::now() - start).count();

        start = Clock::now();
        for (int i = 0; i < options.cycles; ++i) run.Dream_Cycle();
        results.cycles_per_second = options.cycles / std::chrono::duration<double>(Clock::now() - start).count();
    }
    Destroy_Network(stack);
}

Results Run_Network(HWND window, const Network_Size& size, const Options& options) {
    std::ofstream(std::filesystem::current_path() / "settings.txt")
        << size.layer1_width << '\n' << size.layer1_height << '\n' << size.layer2_width << '\n' << size.layer2_height
        << "\n1\n" << options.images << "\n0.05\n";
    Results results;
    paint_costs.clear();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        Measure(window, options, results);
        done = true;
        PostMessageA(window, WM_NULL, 0, 0);  // wake the loop to notice
    });
    MSG message{};
    while (!done && GetMessageA(&message, nullptr, 0, 0) != 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    worker.join();
    results.paint_median_ms = Median(paint_costs);
    return results;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--repaints") == 0) options.repaints = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--images") == 0) options.images = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--cycles") == 0) options.cycles = std::atoi(argv[i + 1]);
    }
    const auto folder = std::filesystem::temp_directory_path() / ("layerdream-display-benchmark-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    Write_Images(folder / "trainingimages", options.images);

    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = Timing_Procedure;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = "layerdream display benchmark";
    RegisterClassExA(&window_class);
    HWND window = CreateWindowExA(0, window_class.lpszClassName, "layerdream display benchmark", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, 0, 1200, 900, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    On_Screen_Object_Background background;
    background.colour = 0x00FF0000;
    Process_Screen_Object_Manager().Add_Object(window, &background);
    RECT client{};
    GetClientRect(window, &client);
    const char* driver = std::getenv("DISPLAY") != nullptr ? "X server" : "offscreen";
    std::printf("display: %s, window client %ld x %ld\n", driver, static_cast<long>(client.right),
                static_cast<long>(client.bottom));
    std::printf("%-12s %18s %20s %28s %20s\n", "network", "paint median (ms)", "repaint wait (ms)",
                "training images/s (redraw)", "dreaming cycles/s");
    for (const Network_Size size : {Network_Size{10, 10, 8, 8}, Network_Size{20, 25, 20, 25}}) {
        const Results results = Run_Network(window, size, options);
        std::printf("784-%d-%-6d %18.3f %20.3f %28.1f %20.1f\n", size.layer1_width * size.layer1_height,
                    size.layer2_width * size.layer2_height, results.paint_median_ms, results.repaint_median_ms,
                    results.images_per_second, results.cycles_per_second);
        std::fflush(stdout);
    }
    DestroyWindow(window);
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
