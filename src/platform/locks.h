// The program's locks: the standard mutexes, made known to clang's
// thread-safety analysis (thread_annotations.h), and in builds with checks
// (debug and sanitizer builds) counted where a thread must not hold them.
//
// A lock that the window's thread takes to paint (the screen objects', a
// picture's) must not be held by a thread that waits for the window's
// thread: the window's thread would wait for it in turn. The window layer
// checks that before every such wait, as a Win32 layer on X11 checks before
// a message is sent across threads (docs/threads.md).
#pragma once

#include "thread_annotations.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

#if !defined(NDEBUG) || defined(LAYERDREAM_CHECKS)
#define LAYERDREAM_CHECK_LOCKS 1
#else
#define LAYERDREAM_CHECK_LOCKS 0
#endif

// What a lock is to the rule above.
enum class Lock_Role : uint8_t {
    leaf,   // held for a moment; nothing else is taken or awaited while it is held
    paint,  // taken by the window's thread to paint: never held while waiting for it
};

namespace locks {

// How many paint locks the calling thread holds (always 0 without checks).
int Paint_Locks_Held();
// In builds with checks: stops the program, saying what it was about to
// wait for, if the calling thread holds a paint lock.
void Check_None_Held_Before_Waiting(const char* waiting_for);
// Counts a paint lock taken (+1) or let go (-1) by the calling thread.
void Count_Paint_Lock(int change);

}  // namespace locks

// A lock, counted in builds with checks when its role is paint. Native is
// std::mutex (one thread holds it at a time) or std::recursive_mutex (the
// thread holding it may take it again).
template <typename Native>
class CAPABILITY("mutex") Counted_Mutex {
public:
    explicit Counted_Mutex(Lock_Role lock_role = Lock_Role::leaf) : role(lock_role) {}
    Counted_Mutex(const Counted_Mutex&) = delete;
    Counted_Mutex& operator=(const Counted_Mutex&) = delete;

    void lock() ACQUIRE() {
        native.lock();
        Count(+1);
    }
    void unlock() RELEASE() {
        Count(-1);
        native.unlock();
    }

private:
    void Count(int change) const {
        if (LAYERDREAM_CHECK_LOCKS && role == Lock_Role::paint) locks::Count_Paint_Lock(change);
    }
    Native native;
    const Lock_Role role;
};

using Mutex = Counted_Mutex<std::mutex>;
using Recursive_Mutex = Counted_Mutex<std::recursive_mutex>;

// Holds a lock for as long as it lives. A condition (std::condition_variable_any)
// lets go of it while it waits and takes it again before it returns.
template <typename Lockable>
class SCOPED_CAPABILITY Holding {
public:
    explicit Holding(Lockable& lock_to_hold) ACQUIRE(lock_to_hold) : held(lock_to_hold) { held.lock(); }
    ~Holding() RELEASE() {
        if (owned) held.unlock();
    }
    Holding(const Holding&) = delete;
    Holding& operator=(const Holding&) = delete;

    // For a condition's wait, and for the few places that let go of the
    // lock for a while (to run a window procedure, say).
    void lock() ACQUIRE() {
        held.lock();
        owned = true;
    }
    void unlock() RELEASE() {
        owned = false;
        held.unlock();
    }

private:
    Lockable& held;
    bool owned = true;
};

using Mutex_Lock = Holding<Mutex>;
using Condition = std::condition_variable_any;
