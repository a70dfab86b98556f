// What clang's thread-safety analysis checks: which lock guards which data,
// and which locks a function needs held or not held. The clang builds turn
// its warnings into errors (-Wthread-safety -Werror=thread-safety); other
// compilers read the annotations as nothing. The names are those leveldb and
// Abseil use. The locks themselves: locks.h.
#pragma once

#if defined(__clang__)
#define THREAD_ANNOTATION_ATTRIBUTE(x) __attribute__((x))
#else
#define THREAD_ANNOTATION_ATTRIBUTE(x)
#endif

// A type whose objects are locks.
#define CAPABILITY(x) THREAD_ANNOTATION_ATTRIBUTE(capability(x))
// A type whose objects hold a lock for as long as they live.
#define SCOPED_CAPABILITY THREAD_ANNOTATION_ATTRIBUTE(scoped_lockable)
// Data read or written only while the lock is held.
#define GUARDED_BY(x) THREAD_ANNOTATION_ATTRIBUTE(guarded_by(x))
// The function is called with the locks held, and leaves them held.
#define REQUIRES(...) THREAD_ANNOTATION_ATTRIBUTE(requires_capability(__VA_ARGS__))
// The function is called without the locks: it takes them itself, or waits
// for another thread that needs them.
#define EXCLUDES(...) THREAD_ANNOTATION_ATTRIBUTE(locks_excluded(__VA_ARGS__))
// The function takes or lets go of the locks.
#define ACQUIRE(...) THREAD_ANNOTATION_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) THREAD_ANNOTATION_ATTRIBUTE(release_capability(__VA_ARGS__))
