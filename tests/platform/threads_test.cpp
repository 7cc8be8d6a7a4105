// Threads and loopers: suspended start, the cooperative kill from every kind
// of kit wait, snooze, a looper's order, lock and quitting.
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <functional>
#include <future>

#include "kit_test_app.h"

namespace {

using kit_test::eventually;

// A thread's work: counts its start, then waits (or spins) until killed.
struct Victim {
    std::atomic<int> runs{0};
    BLooper looper{"held by the test"};
};
int32 counts(void* v) { return ++static_cast<Victim*>(v)->runs + 6; }
int32 snoozes(void* v) {
    for (counts(v);;) snooze(60'000'000);
}
int32 spins(void* v) {
    for (counts(v);;) check_thread_killed();
}
int32 locks(void* v) {
    counts(v);
    static_cast<Victim*>(v)->looper.Lock();
    return counts(v);
}

// Whether `call` returns within two seconds (else it is left to end alone).
bool returns(std::function<void()> call) {
    auto done = std::make_shared<std::promise<void>>();
    std::thread([=] { call(), done->set_value(); }).detach();
    return done->get_future().wait_for(std::chrono::seconds(2)) == std::future_status::ready;
}

// Records each message's code, or 0 for one handled off its thread or
// without its lock; refuses to quit until allowed.
class Recorder : public BLooper {
public:
    ~Recorder() override { StopLoop(); }
    void MessageReceived(BMessage* message) override {
        Record(IsLocked() && find_thread(nullptr) == Thread() ? message->what : 0);
    }
    bool QuitRequested() override { return Record(B_QUIT_REQUESTED), allowQuit; }
    void Record(uint32 code) {
        std::lock_guard held(fLock);
        fCodes.push_back(code);
    }
    std::vector<uint32> Codes() {
        std::lock_guard held(fLock);
        return fCodes;
    }
    std::atomic<bool> allowQuit{false};

private:
    std::mutex fLock;
    std::vector<uint32> fCodes;
};

}  // namespace

TEST(Threads, StartSuspendedAndRunOnceResumedOrNeverWhenKilled) {
    Victim victim;
    const thread_id killed = spawn_thread(counts, "counter", B_NORMAL_PRIORITY, &victim);
    thread_info info;
    ASSERT_EQ(get_thread_info(killed, &info), B_OK);
    EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
    EXPECT_STREQ(info.name, "counter");
    ASSERT_EQ(kill_thread(killed), B_OK);
    EXPECT_EQ(victim.runs.load(), 0);
    const thread_id ended = spawn_thread(counts, "counter", B_NORMAL_PRIORITY, &victim);
    ASSERT_EQ(resume_thread(ended), B_OK);
    status_t result = 0;
    ASSERT_EQ(wait_for_thread(ended, &result), B_OK);
    EXPECT_EQ(result, 7);
    for (const thread_id gone : {-5, 999999, killed, ended})  // harmless
        EXPECT_EQ(std::tuple(kill_thread(gone), resume_thread(gone), get_thread_info(gone, &info)),
                  std::tuple(B_BAD_THREAD_ID, B_BAD_THREAD_ID, B_BAD_THREAD_ID)) << gone;
    // Refused: no function, no place for the info, a search by name; no kit thread calls here.
    EXPECT_EQ(std::tuple(spawn_thread(nullptr, "none", B_NORMAL_PRIORITY, nullptr), get_thread_info(killed, nullptr),
                         find_thread("counter"), find_thread(nullptr)),
              std::tuple(B_BAD_VALUE, B_BAD_VALUE, B_BAD_VALUE, -1));
}

// From a minute's snooze, from a wait for a looper's lock that the killer
// holds, from a loop that checks for it.
TEST(Threads, KillEndsEveryKindOfWaitAtOnce) {
    for (const auto& [work, state] : {std::pair<thread_func, thread_state>{snoozes, B_THREAD_ASLEEP},
                                      {locks, B_THREAD_WAITING}, {spins, B_THREAD_RUNNING}}) {
        Victim victim;
        ASSERT_TRUE(victim.looper.Lock());
        const thread_id id = spawn_thread(work, "victim", B_NORMAL_PRIORITY, &victim);
        ASSERT_EQ(resume_thread(id), B_OK);
        EXPECT_EQ(resume_thread(id), B_BAD_VALUE) << "running already";
        thread_info info{};
        const thread_state waiting = state;
        EXPECT_TRUE(eventually([&] { return victim.runs && !get_thread_info(id, &info) && info.state == waiting; }))
            << waiting << " expected, " << info.state << " seen";
        const bool killed = returns([=] { kill_thread(id); });
        victim.looper.Unlock();  // (lets a victim that missed its kill go on)
        ASSERT_TRUE(killed) << "the kill did not end wait " << waiting;
        EXPECT_EQ(victim.runs.load(), 1);
        EXPECT_TRUE(returns([&] { victim.looper.Lock(), victim.looper.Unlock(); })) << "left locked";
    }
}

// A snooze timed from inside the snoozing thread, with its timer slack after:
// lengths longer and shorter than the last stretch a snooze waits out on the
// clock, in the main thread and in a kit thread (whose sleep a kill can end).
struct Snoozer {
    bigtime_t length, slept = 0;
    long timerSlack = 0;
};
int32 timeSnooze(void* data) {
    auto* snoozer = static_cast<Snoozer*>(data);
    const bigtime_t start = system_time();
    snooze(snoozer->length);
    snoozer->slept = system_time() - start;
    snoozer->timerSlack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    return 0;
}

TEST(Threads, SnoozeSleepsAtLeastItsTimeWithTheFinestTimerSlack) {
    check_thread_killed();  // outside a kit thread: nothing
    snooze(-10);
    for (const bigtime_t length : {20'000, 30}) {
        Snoozer inMain{length}, inKitThread{length};
        timeSnooze(&inMain);
        const thread_id id = spawn_thread(timeSnooze, "snoozer", B_NORMAL_PRIORITY, &inKitThread);
        ASSERT_EQ(resume_thread(id), B_OK);
        ASSERT_EQ(wait_for_thread(id, nullptr), B_OK);
        for (const Snoozer& s : {inMain, inKitThread})
            EXPECT_TRUE(s.slept >= length && s.timerSlack == 1) << s.slept << " us, slack " << s.timerSlack << " ns";
    }
}

TEST(Looper, HandlesMessagesInOrderOnItsThreadWithItsLockHeldAndTheLockIsItsOwners) {
    Recorder looper;
    ASSERT_TRUE(looper.Lock() && looper.Lock());
    std::thread([&] { looper.Unlock(), looper.Unlock(); }).join();  // not the owner: ignored
    looper.Unlock();
    EXPECT_TRUE(looper.IsLocked()) << "recursive";
    looper.Unlock();
    EXPECT_FALSE(looper.IsLocked());
    EXPECT_EQ(looper.Run(), looper.Run()) << "one thread";
    EXPECT_EQ(looper.PostMessage(static_cast<BMessage*>(nullptr)), B_BAD_VALUE);
    std::vector<uint32> expected;
    for (uint32 code = 1; code <= 50; ++code) looper.PostMessage(code), expected.push_back(code);
    looper.PostMessage(B_QUIT_REQUESTED);  // refused: the loop goes on
    looper.PostMessage(99);
    expected.insert(expected.end(), {B_QUIT_REQUESTED, 99});
    EXPECT_TRUE(eventually([&] { return looper.Codes().size() == expected.size(); }));
    EXPECT_EQ(looper.Codes(), expected);
    looper.allowQuit = true;
    looper.PostMessage(B_QUIT_REQUESTED);
    EXPECT_TRUE(eventually([&] { return looper.IsQuitting(); }));
    EXPECT_EQ(wait_for_thread(looper.Thread(), nullptr), B_OK) << "the loop's thread ended";
    EXPECT_EQ(looper.PostMessage(1), B_ERROR);
}
