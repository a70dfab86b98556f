// Which thread may run a network's operations: the one that built it (in
// the program, the training worker). Nothing else guards the network while
// the worker runs (docs/threads.md), so builds with checks (debug and
// sanitizer builds) stop the program at any other thread's use; once the
// worker has finished, the window's thread may take the network apart.
#pragma once

#include <thread>

class Network_Owner {
public:
    // The calling thread builds the network, and owns it from now on.
    void Claim() { owner = std::this_thread::get_id(); }
    // In builds with checks: stops the program, naming the operation, when
    // the calling thread is not the owner.
    void Check(const char* operation) const {
#if !defined(NDEBUG) || defined(LAYERDREAM_CHECKS)
        if (owner != std::this_thread::get_id()) Stop(operation);
#else
        (void)operation;
#endif
    }

private:
    [[noreturn]] static void Stop(const char* operation);
    std::thread::id owner = std::this_thread::get_id();
};
