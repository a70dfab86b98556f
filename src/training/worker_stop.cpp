#include "training/worker_stop.h"

void Worker_Stop::Mark_Finished() {
    Mutex_Lock hold(lock);
    finished = true;
    changed.notify_all();  // under the lock: the waiter may release this object right after
}

bool Worker_Stop::Wait_Until_Finished(std::chrono::milliseconds longest) {
    Mutex_Lock hold(lock);
    return changed.wait_for(hold, longest, [this]() REQUIRES(lock) { return finished; });
}
