// A second thread for the rules of large connections: a pass is split into
// two halves over disjoint neurons, the helper runs one while the calling
// thread runs the other. Each sum is still built by one thread in the order
// the rules give, so the results are those of one thread to the last bit.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

class Helper_Thread {
public:
    // The process's helper, started on first use.
    static Helper_Thread& Shared();

    // Runs half(0) on the calling thread and half(1) on the helper, and
    // returns once both have returned. If the helper has not taken up its
    // half by the time the caller is done with its own (it was asleep, or
    // another program had its core), the caller runs that half too, so a
    // busy machine costs no more than one thread would. One caller at a time.
    template <typename Half>
    void Run_Halves(const Half& half) {
        Run(&Call<Half>, &half);
    }

    // Whether the processor has a second core for it.
    static bool Worth_Using();

    ~Helper_Thread();

private:
    using Job = void (*)(const void*, int);
    template <typename Half>
    static void Call(const void* half, int which) {
        (*static_cast<const Half*>(half))(which);
    }

    Helper_Thread();
    void Run(Job job, const void* argument);
    void Loop();

    Job job = nullptr;
    const void* job_argument = nullptr;
    // The number of the last half handed over, of the last one taken up (by
    // the helper or, failing it, by the caller) and of the last one the
    // helper finished. stop ends the helper.
    std::atomic<uint32_t> posted{0};
    std::atomic<uint32_t> claimed{0};
    std::atomic<uint32_t> finished{0};
    std::atomic<bool> stop{false};
    std::thread thread;
};
