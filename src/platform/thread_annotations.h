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
// Data pointed at that is read or written only while the lock is held.
#define PT_GUARDED_BY(x) THREAD_ANNOTATION_ATTRIBUTE(pt_guarded_by(x))
// Locks taken before this one whenever both are held.
#define ACQUIRED_AFTER(...) THREAD_ANNOTATION_ATTRIBUTE(acquired_after(__VA_ARGS__))
#define ACQUIRED_BEFORE(...) THREAD_ANNOTATION_ATTRIBUTE(acquired_before(__VA_ARGS__))
// The function is called with the locks held, and leaves them held.
#define REQUIRES(...) THREAD_ANNOTATION_ATTRIBUTE(requires_capability(__VA_ARGS__))
// The function is called without the locks: it takes them itself, or waits
// for another thread that needs them.
#define EXCLUDES(...) THREAD_ANNOTATION_ATTRIBUTE(locks_excluded(__VA_ARGS__))
// The function takes or lets go of the locks.
#define ACQUIRE(...) THREAD_ANNOTATION_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) THREAD_ANNOTATION_ATTRIBUTE(release_capability(__VA_ARGS__))
// The function returns a reference to the lock.
#define RETURN_CAPABILITY(x) THREAD_ANNOTATION_ATTRIBUTE(lock_returned(x))
// The analysis is told the lock is held (the function checks it at run time).
#define ASSERT_CAPABILITY(x) THREAD_ANNOTATION_ATTRIBUTE(assert_capability(x))
// A function the analysis cannot follow; each use says why.
#define NO_THREAD_SAFETY_ANALYSIS THREAD_ANNOTATION_ATTRIBUTE(no_thread_safety_analysis)
