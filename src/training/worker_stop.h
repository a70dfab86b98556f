// How the window's thread tells the training worker to stop, and learns
// that it has (docs/threads.md). The worker looks at the request between
// any two steps of its work.
#pragma once

#include "locks.h"

#include <atomic>
#include <chrono>

class Worker_Stop {
public:
    void Request() { requested = true; }
    bool Requested() const { return requested; }
    void Mark_Finished() EXCLUDES(lock);
    // True once the worker has finished, false if the time ran out first.
    bool Wait_Until_Finished(std::chrono::milliseconds longest) EXCLUDES(lock);

private:
    std::atomic<bool> requested{false};
    Mutex lock;
    Condition changed;
    bool finished GUARDED_BY(lock) = false;
};
