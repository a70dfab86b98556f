// The process services: the current directory, thread start and the module.
#include "platform.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>

DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer) {
    // Ask with a growing buffer, so that no directory is too long to read.
    std::string directory(256, '\0');
    while (getcwd(directory.data(), directory.size()) == nullptr) {
        if (errno != ERANGE) return 0;
        directory.resize(directory.size() * 2);
    }
    directory.resize(std::strlen(directory.c_str()));
    const auto length = static_cast<DWORD>(directory.size());
    if (buffer == nullptr || buffer_length <= length) return length + 1;  // the size needed
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return length;
}

uintptr_t _beginthreadex(void*, unsigned, unsigned(__stdcall* start_address)(void*), void* argument,
                         unsigned, unsigned* thread_id) {
    static std::atomic<uintptr_t> next_handle{1};
    try {
        std::thread thread(start_address, argument);
        thread.detach();
    } catch (const std::system_error&) {
        return 0;
    }
    const uintptr_t handle = next_handle++;
    if (thread_id != nullptr) *thread_id = static_cast<unsigned>(handle);
    return handle;
}

HMODULE GetModuleHandleA(LPCSTR) {
    static char module;
    return reinterpret_cast<HMODULE>(&module);
}
