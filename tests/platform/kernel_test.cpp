// Threads: suspended start, resume, the cooperative kill from every kind of
// kit wait, and the time calls.
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <atomic>

#include "kernel.h"
#include "looper.h"

namespace {

std::atomic<int> runs{0};

int32 countRun(void*) {
    runs.fetch_add(1);
    return 7;
}

int32 snoozeForever(void* started) {
    static_cast<std::atomic<bool>*>(started)->store(true);
    for (;;) snooze(60'000'000);
}

int32 spinWithCheck(void* started) {
    static_cast<std::atomic<bool>*>(started)->store(true);
    for (;;) check_thread_killed();
}

struct LockVictim {
    BLooper* looper;
    std::atomic<bool> waiting{false};
    std::atomic<bool> gotLock{false};
};

int32 lockLooper(void* data) {
    auto* victim = static_cast<LockVictim*>(data);
    victim->waiting.store(true);
    victim->looper->Lock();
    victim->gotLock.store(true);
    victim->looper->Unlock();
    return 0;
}

void waitFor(const std::atomic<bool>& flag) {
    while (!flag.load()) snooze(1000);
}

}  // namespace

TEST(Threads, StartSuspendedAndRunOnceResumed) {
    runs = 0;
    const thread_id id = spawn_thread(countRun, "counter", B_NORMAL_PRIORITY, nullptr);
    ASSERT_GT(id, 0);
    thread_info info;
    ASSERT_EQ(get_thread_info(id, &info), B_OK);
    EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
    EXPECT_STREQ(info.name, "counter");
    EXPECT_EQ(info.priority, 10);
    snooze(20'000);
    EXPECT_EQ(runs.load(), 0);

    ASSERT_EQ(resume_thread(id), B_OK);
    status_t result = 0;
    ASSERT_EQ(wait_for_thread(id, &result), B_OK);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(get_thread_info(id, &info), B_BAD_THREAD_ID);
}

TEST(Threads, KillingASuspendedThreadNeverRunsIt) {
    runs = 0;
    const thread_id id = spawn_thread(countRun, "counter", B_NORMAL_PRIORITY, nullptr);
    ASSERT_EQ(kill_thread(id), B_OK);
    EXPECT_EQ(runs.load(), 0);
    EXPECT_EQ(resume_thread(id), B_BAD_THREAD_ID);
}

TEST(Threads, BadIdsAreHarmless) {
    EXPECT_EQ(kill_thread(-5), B_BAD_THREAD_ID);
    EXPECT_EQ(kill_thread(999999), B_BAD_THREAD_ID);
    EXPECT_EQ(resume_thread(-1), B_BAD_THREAD_ID);
    const thread_id id = spawn_thread(countRun, "counter", B_NORMAL_PRIORITY, nullptr);
    ASSERT_EQ(kill_thread(id), B_OK);
    EXPECT_EQ(kill_thread(id), B_BAD_THREAD_ID);  // twice
}

TEST(Threads, ResumingARunningThreadIsRefused) {
    std::atomic<bool> started{false};
    const thread_id id = spawn_thread(snoozeForever, "sleeper", B_NORMAL_PRIORITY, &started);
    ASSERT_EQ(resume_thread(id), B_OK);
    EXPECT_EQ(resume_thread(id), B_BAD_VALUE);
    ASSERT_EQ(kill_thread(id), B_OK);
}

TEST(Threads, KillWakesASleepingThread) {
    std::atomic<bool> started{false};
    const thread_id id = spawn_thread(snoozeForever, "sleeper", B_NORMAL_PRIORITY, &started);
    resume_thread(id);
    waitFor(started);
    snooze(5000);
    thread_info info;
    ASSERT_EQ(get_thread_info(id, &info), B_OK);
    EXPECT_EQ(info.state, B_THREAD_ASLEEP);
    const bigtime_t before = system_time();
    ASSERT_EQ(kill_thread(id), B_OK);  // the snooze was for a minute
    EXPECT_LT(system_time() - before, 30'000'000);
}

TEST(Threads, KillStopsALoopAtItsKillCheck) {
    std::atomic<bool> started{false};
    const thread_id id = spawn_thread(spinWithCheck, "spinner", B_NORMAL_PRIORITY, &started);
    resume_thread(id);
    waitFor(started);
    EXPECT_EQ(kill_thread(id), B_OK);
}

TEST(Threads, KillByTheLockHolderOfAThreadWaitingForTheLock) {
    BLooper looper("lock owner");
    LockVictim victim{&looper};
    ASSERT_TRUE(looper.Lock());
    const thread_id id = spawn_thread(lockLooper, "victim", B_NORMAL_PRIORITY, &victim);
    resume_thread(id);
    waitFor(victim.waiting);
    snooze(10'000);
    thread_info info;
    ASSERT_EQ(get_thread_info(id, &info), B_OK);
    EXPECT_EQ(info.state, B_THREAD_WAITING);
    ASSERT_EQ(kill_thread(id), B_OK);  // would deadlock if the wait ignored the kill
    EXPECT_FALSE(victim.gotLock.load());
    EXPECT_TRUE(looper.IsLocked());
    looper.Unlock();
    EXPECT_TRUE(looper.Lock());  // the victim left nothing held
    looper.Unlock();
}

TEST(Threads, KillCheckOutsideKitThreadsDoesNothing) {
    check_thread_killed();
    snooze(0);
    snooze(-10);
    SUCCEED();
}

// A snooze of each length, timed from inside the snoozing thread, with the
// thread's timer slack after it.
struct Snoozer {
    bigtime_t length;
    bigtime_t slept = 0;
    unsigned long timerSlack = 0;
};

int32 timeSnooze(void* data) {
    auto* snoozer = static_cast<Snoozer*>(data);
    const bigtime_t start = system_time();
    snooze(snoozer->length);
    snoozer->slept = system_time() - start;
    snoozer->timerSlack = static_cast<unsigned long>(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0));
    return 0;
}

// Lengths longer and shorter than the part a snooze waits out on the clock,
// in the main thread and in kit threads (whose sleep a kill can end).
TEST(Time, SnoozeSleepsAtLeastItsTimeWithTheFinestTimerSlack) {
    for (const bigtime_t length : {20'000, 30}) {
        Snoozer inMain{length};
        timeSnooze(&inMain);
        Snoozer inKitThread{length};
        const thread_id id = spawn_thread(timeSnooze, "snoozer", B_NORMAL_PRIORITY, &inKitThread);
        ASSERT_EQ(resume_thread(id), B_OK);
        ASSERT_EQ(wait_for_thread(id, nullptr), B_OK);
        for (const Snoozer& snoozer : {inMain, inKitThread}) {
            EXPECT_GE(snoozer.slept, length);
            EXPECT_EQ(snoozer.timerSlack, 1u) << "1 ns, the least there is";
        }
    }
}
