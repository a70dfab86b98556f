#include "network/helper_thread.h"

#include <chrono>

#if defined(__x86_64__)
#include <immintrin.h>
#define LAYERDREAM_PAUSE() _mm_pause()
#else
#define LAYERDREAM_PAUSE() ((void)0)
#endif

namespace {

// How long each side waits with the core busy before it sleeps: long
// enough to span the few microseconds between the passes of a training
// step, short enough to give the core back while the pictures are drawn.
constexpr auto spin_time = std::chrono::microseconds(200);

// Waits until value differs from seen, spinning at first, then asleep.
void Wait_For_Change(const std::atomic<uint32_t>& value, uint32_t seen) {
    const auto until = std::chrono::steady_clock::now() + spin_time;
    int rounds = 0;
    while (value.load(std::memory_order_acquire) == seen) {
        LAYERDREAM_PAUSE();
        if (++rounds % 64 == 0 && std::chrono::steady_clock::now() > until) {
            value.wait(seen, std::memory_order_acquire);
            return;
        }
    }
}

}  // namespace

Helper_Thread& Helper_Thread::Shared() {
    static Helper_Thread helper;
    return helper;
}

bool Helper_Thread::Worth_Using() {
    static const bool worth = std::thread::hardware_concurrency() >= 2;
    return worth;
}

Helper_Thread::Helper_Thread() : thread([this] { Loop(); }) {}

Helper_Thread::~Helper_Thread() {
    stop.store(true, std::memory_order_release);
    posted.fetch_add(1, std::memory_order_release);
    posted.notify_one();
    thread.join();
}

void Helper_Thread::Run(Job new_job, const void* argument) {
    job = new_job;
    job_argument = argument;
    const uint32_t number = posted.fetch_add(1, std::memory_order_release) + 1;
    posted.notify_one();
    new_job(argument, 0);
    uint32_t previous = number - 1;
    if (claimed.compare_exchange_strong(previous, number, std::memory_order_acq_rel)) {
        new_job(argument, 1);
        return;
    }
    uint32_t done = finished.load(std::memory_order_acquire);
    while (done != number) {
        Wait_For_Change(finished, done);
        done = finished.load(std::memory_order_acquire);
    }
}

void Helper_Thread::Loop() {
    uint32_t seen = 0;
    for (;;) {
        Wait_For_Change(posted, seen);
        seen = posted.load(std::memory_order_acquire);
        if (stop.load(std::memory_order_acquire)) return;
        uint32_t previous = seen - 1;
        if (!claimed.compare_exchange_strong(previous, seen, std::memory_order_acq_rel)) continue;
        job(job_argument, 1);
        finished.store(seen, std::memory_order_release);
        finished.notify_one();
    }
}
