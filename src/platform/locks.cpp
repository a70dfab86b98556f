#include "locks.h"

#include <cstdio>
#include <cstdlib>

namespace {

thread_local int paint_locks_held = 0;

}  // namespace

int locks::Paint_Locks_Held() { return paint_locks_held; }

void locks::Count_Paint_Lock(int change) { paint_locks_held += change; }

void locks::Check_None_Held_Before_Waiting(const char* waiting_for) {
    if (!LAYERDREAM_CHECK_LOCKS || paint_locks_held == 0) return;
    std::fprintf(stderr,
                 "layerdream: a thread holding %d lock(s) that the window's thread needs to paint waits for %s\n",
                 paint_locks_held, waiting_for);
    std::abort();
}
