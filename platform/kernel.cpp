#include "kernel.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "kit_sync.h"

namespace kit {

namespace {

struct Registry {
    std::mutex lock;
    std::map<thread_id, std::shared_ptr<ThreadRecord>> threads;
    thread_id nextId = 1;
};

// Never destroyed: threads may still wait on the lock while the process exits.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

thread_local ThreadRecord* currentRecord = nullptr;

void trampoline(std::shared_ptr<ThreadRecord> self) {
    currentRecord = self.get();
    pthread_setname_np(pthread_self(), self->name.substr(0, 15).c_str());
    status_t result = 0;
    try {
        {
            std::unique_lock held(lock());
            wait(held, self->wake, [&] { return self->state == ThreadRecord::State::Running; });
        }
        result = self->func(self->data);
    } catch (const ThreadKilled&) {
        result = B_ERROR;
    }
    std::lock_guard held(lock());
    self->state = ThreadRecord::State::Exited;
    self->exitValue = result;
    self->wake.notify_all();
}

// A point on the monotonic clock of system_time() and snooze (CLOCK_MONOTONIC).
using TimePoint = std::chrono::steady_clock::time_point;

// The kernel's sched_setattr argument, as far as a normal thread uses it.
struct SchedulingAttributes {
    uint32_t size;
    uint32_t policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime;  // ns: for a normal thread, the time slice it asks for
    uint64_t deadline;
    uint64_t period;
};

// Asks for the shortest time slice the scheduler grants a normal thread
// (100 us; Linux 6.12 and later). A thread that sleeps to deadlines runs in
// short bursts; with the default slice (a few milliseconds) a busy thread on
// the same core keeps the processor that long after the sleeper's wake-up,
// and the deadline is missed by as much. The priority is unchanged: the
// thread gets no more processor time, only sooner. Older kernels refuse the
// request, and the thread keeps the default.
void ask_short_slice() {
    SchedulingAttributes attributes{};
    attributes.size = sizeof attributes;
    attributes.policy = SCHED_OTHER;
    attributes.nice = static_cast<int32_t>(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())));
    attributes.runtime = 100'000;
    syscall(SYS_sched_setattr, 0, &attributes, 0u);
}

// Gives the calling thread, once, the finest timer slack and a short time
// slice. With the default slack of 50 us the kernel may end a timed sleep up
// to that long after its time, to group wake-ups.
void use_finest_timer_slack() {
    thread_local bool done = false;
    if (done) return;
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // 1 ns, the least (0 would restore the default)
    ask_short_slice();
    done = true;
}

// Sleeps until `end` (an absolute sleep: it neither drifts nor ends early).
// Signals do not end it; kills do not either, so it is for threads the kit
// did not start.
void sleep_until(TimePoint end) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(end.time_since_epoch()).count();
    const timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

// A timed sleep ends some time after its point: the kernel's wake-up and the
// scheduler's latency, tens of microseconds on a virtual machine. A snooze
// therefore ends its sleep that much early and waits out the rest on the
// clock. The lead follows the median of the latencies seen, a microsecond a
// wake-up, and never exceeds kMaxLead, which bounds the wait on the clock.
constexpr std::chrono::nanoseconds kLeadStep{1'000};
constexpr std::chrono::nanoseconds kMaxLead{200'000};
std::atomic<int64_t> wakeLead{0};  // nanoseconds; shared by every thread, as the machine is

std::chrono::nanoseconds wake_lead() { return std::chrono::nanoseconds(wakeLead.load(std::memory_order_relaxed)); }

void learn_wake_latency(std::chrono::nanoseconds latency) {
    const auto lead = wake_lead();
    const auto next = std::clamp(latency > lead ? lead + kLeadStep : lead - kLeadStep,
                                 std::chrono::nanoseconds(0), kMaxLead);
    wakeLead.store(next.count(), std::memory_order_relaxed);
}

void relax_cpu() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

std::shared_ptr<ThreadRecord> find(thread_id id) {
    auto& threads = registry().threads;
    auto it = threads.find(id);
    return it == threads.end() ? nullptr : it->second;
}

}  // namespace

std::mutex& lock() { return registry().lock; }

ThreadRecord* current_thread() { return currentRecord; }

}  // namespace kit

thread_id spawn_thread(thread_func func, const char* name, int32 priority, void* data) {
    if (!func) return B_BAD_VALUE;
    auto record = std::make_shared<kit::ThreadRecord>();
    record->name = name ? name : "";
    record->priority = priority;
    record->func = func;
    record->data = data;
    std::lock_guard held(kit::lock());
    record->id = kit::registry().nextId++;
    try {
        record->thread = std::thread(kit::trampoline, record);
    } catch (const std::system_error&) {
        return B_NO_MORE_THREADS;
    }
    kit::registry().threads[record->id] = record;
    return record->id;
}

status_t resume_thread(thread_id id) {
    std::lock_guard held(kit::lock());
    auto record = kit::find(id);
    if (!record) return B_BAD_THREAD_ID;
    if (record->state != kit::ThreadRecord::State::Suspended) return B_BAD_VALUE;
    record->state = kit::ThreadRecord::State::Running;
    record->wake.notify_all();
    return B_OK;
}

status_t kill_thread(thread_id id) {
    std::shared_ptr<kit::ThreadRecord> record;
    {
        std::lock_guard held(kit::lock());
        record = kit::find(id);
        if (!record) return B_BAD_THREAD_ID;
        kit::registry().threads.erase(id);
        record->killed.store(true, std::memory_order_release);
        if (record->waitingOn) record->waitingOn->notify_all();
        record->wake.notify_all();
    }
    if (record.get() == kit::current_thread()) {
        record->thread.detach();
        throw kit::ThreadKilled{};
    }
    record->thread.join();
    return B_OK;
}

status_t wait_for_thread(thread_id id, status_t* exit_value) {
    std::shared_ptr<kit::ThreadRecord> record;
    {
        std::unique_lock held(kit::lock());
        record = kit::find(id);
        if (!record || record.get() == kit::current_thread()) return B_BAD_THREAD_ID;
        if (record->state == kit::ThreadRecord::State::Suspended) {
            record->state = kit::ThreadRecord::State::Running;  // as a waiter resumes it
            record->wake.notify_all();
        }
        kit::wait(held, record->wake,
                  [&] { return record->state == kit::ThreadRecord::State::Exited; });
        if (kit::find(id) != record) return B_BAD_THREAD_ID;  // killed meanwhile
        kit::registry().threads.erase(id);
    }
    record->thread.join();
    if (exit_value) *exit_value = record->exitValue;
    return B_OK;
}

status_t get_thread_info(thread_id id, thread_info* info) {
    if (!info) return B_BAD_VALUE;
    std::lock_guard held(kit::lock());
    auto record = kit::find(id);
    if (!record || record->state == kit::ThreadRecord::State::Exited) return B_BAD_THREAD_ID;
    info->thread = record->id;
    std::strncpy(info->name, record->name.c_str(), sizeof info->name - 1);
    info->name[sizeof info->name - 1] = '\0';
    info->priority = record->priority;
    if (record->state == kit::ThreadRecord::State::Suspended) info->state = B_THREAD_SUSPENDED;
    else if (record->waitingOn == &record->wake) info->state = B_THREAD_ASLEEP;
    else if (record->waitingOn) info->state = B_THREAD_WAITING;
    else info->state = B_THREAD_RUNNING;
    return B_OK;
}

thread_id find_thread(const char* name) {
    if (name) return B_BAD_VALUE;
    const kit::ThreadRecord* self = kit::current_thread();
    return self ? self->id : -1;
}

void snooze(bigtime_t microseconds) {
    using std::chrono::steady_clock;
    check_thread_killed();
    if (microseconds <= 0) return;
    kit::use_finest_timer_slack();
    // The end as one absolute point on the monotonic clock, in system_time()'s
    // own microseconds: a caller that computed its remaining time from
    // system_time() wakes at the very deadline it computed it from. At most
    // about 31 years ahead, so that the point stays within the clock's range.
    const bigtime_t length = std::min<bigtime_t>(microseconds, 1'000'000'000'000'000);
    const kit::TimePoint end{std::chrono::microseconds(system_time() + length)};
    const kit::TimePoint wakeAt = end - kit::wake_lead();
    if (steady_clock::now() < wakeAt) {
        if (kit::ThreadRecord* self = kit::current_thread()) {
            // A wait that kill_thread wakes. Its timeout is a futex wait with
            // an absolute CLOCK_MONOTONIC time: the same kernel timer as
            // clock_nanosleep with TIMER_ABSTIME.
            std::unique_lock held(kit::lock());
            kit::wait_until(held, self->wake, wakeAt, [] { return false; });
        } else {
            kit::sleep_until(wakeAt);
        }
        kit::learn_wake_latency(steady_clock::now() - wakeAt);
    }
    while (steady_clock::now() < end) {  // at most the lead
        check_thread_killed();
        kit::relax_cpu();
    }
}

bigtime_t system_time() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void check_thread_killed() {
    kit::ThreadRecord* self = kit::current_thread();
    if (self && self->killed.load(std::memory_order_acquire)) throw kit::ThreadKilled{};
}
