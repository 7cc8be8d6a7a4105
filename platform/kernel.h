// Threads and time: the kernel calls of the kit.
//
// Threads start suspended and run once resumed. kill_thread cannot stop a
// POSIX thread from outside, so it is cooperative: it marks the thread killed,
// wakes it from whatever kit wait it is in (snooze, a looper's lock, a
// looper's message queue, an alert) and joins it. The thread leaves from its
// next kit wait or kill check, unwinding to its entry, which ends it quietly.
// A thread is therefore never stopped in the middle of a critical section, and
// a kill issued while holding a looper's lock cannot deadlock with a victim
// that waits for that lock.
#pragma once

#include "support_defs.h"

using thread_func = int32 (*)(void*);

constexpr int32 B_LOW_PRIORITY = 5;
constexpr int32 B_NORMAL_PRIORITY = 10;

enum thread_state {
    B_THREAD_RUNNING = 1,
    B_THREAD_READY,
    B_THREAD_RECEIVING,
    B_THREAD_ASLEEP,
    B_THREAD_SUSPENDED,
    B_THREAD_WAITING,
};

struct thread_info {
    thread_id thread;
    char name[32];
    thread_state state;
    int32 priority;
};

// Creates a suspended thread that will run func(data); returns its id (> 0),
// or B_NO_MORE_THREADS. The priority is recorded, not enforced.
thread_id spawn_thread(thread_func func, const char* name, int32 priority, void* data);
// Starts a suspended thread. B_BAD_THREAD_ID for an unknown id, B_BAD_VALUE
// for a thread that is not suspended.
status_t resume_thread(thread_id id);
// Stops a thread as described above and returns once it has ended. A thread
// that was never resumed ends without running its function. B_BAD_THREAD_ID
// for an unknown or already killed id (harmless). A thread that kills itself
// unwinds at once.
status_t kill_thread(thread_id id);
// Waits for a thread's function to return and gives its result.
status_t wait_for_thread(thread_id id, status_t* exit_value);
status_t get_thread_info(thread_id id, thread_info* info);
// With a null name, the calling thread's id; -1 for threads the kit did not
// start (the main thread). Lookup by name is not supported (B_BAD_VALUE).
thread_id find_thread(const char* name);

// Sleeps for the given number of microseconds (none when <= 0): until that
// point on the monotonic clock, in system_time()'s microseconds, and returns
// as close after it as the machine allows. The calling thread gets the
// finest timer slack and the shortest scheduler slice; the last stretch, at most 200 us and about as long as
// the machine's wake-up latency, is waited out on the clock (busy). In a kit
// thread the snooze ends early, by unwinding, when the thread is killed.
void snooze(bigtime_t microseconds);
// Monotonic time in microseconds.
bigtime_t system_time();

// The kill check: in a kit thread that has been killed, unwinds the thread
// to its entry; otherwise does nothing. Long computations that never wait
// call it regularly so that they can be stopped.
void check_thread_killed();
