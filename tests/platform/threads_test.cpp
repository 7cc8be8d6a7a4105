// A looper's order, lock and quitting.
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

#include "kit_test_app.h"

namespace {

using kit_test::eventually;

// Records each message's code, or 0 for one handled off its thread or
// without its lock; refuses to quit until allowed.
class Recorder : public BLooper {
public:
    ~Recorder() override { StopLoop(); }
    void MessageReceived(BMessage* message) override {
        codes.Add(IsLocked() && find_thread(nullptr) == Thread() ? message->what : 0);
    }
    bool QuitRequested() override { return codes.Add(B_QUIT_REQUESTED), allowQuit; }
    std::atomic<bool> allowQuit{false};
    kit_test::Recorded<uint32> codes;
};

}  // namespace

TEST(Looper, HandlesMessagesInOrderOnItsThreadWithItsLockHeldAndTheLockIsItsOwners) {
    Recorder looper;
    ASSERT_TRUE(looper.Lock() && looper.Lock());
    std::thread([&] { looper.Unlock(), looper.Unlock(); }).join();  // not the owner: ignored
    looper.Unlock();
    EXPECT_TRUE(looper.IsLocked()) << "recursive";
    looper.Unlock();
    EXPECT_FALSE(looper.IsLocked());
    EXPECT_EQ(looper.Run(), looper.Run()) << "one thread";
    EXPECT_EQ(resume_thread(looper.Thread()), B_BAD_VALUE) << "running already";
    EXPECT_EQ(looper.PostMessage(static_cast<BMessage*>(nullptr)), B_BAD_VALUE);
    std::vector<uint32> expected;
    for (uint32 code = 1; code <= 50; ++code) looper.PostMessage(code), expected.push_back(code);
    looper.PostMessage(B_QUIT_REQUESTED);  // refused: the loop goes on
    looper.PostMessage(99);
    expected.insert(expected.end(), {B_QUIT_REQUESTED, 99});
    EXPECT_TRUE(eventually([&] { return looper.codes.Items().size() == expected.size(); }));
    EXPECT_EQ(looper.codes.Items(), expected);
    looper.allowQuit = true;
    looper.PostMessage(B_QUIT_REQUESTED);
    EXPECT_TRUE(eventually([&] { return looper.IsQuitting(); }));
    EXPECT_EQ(wait_for_thread(looper.Thread(), nullptr), B_OK) << "the loop's thread ended";
    EXPECT_EQ(looper.PostMessage(1), B_ERROR);
}

// A thread that snoozes asks the scheduler for the shortest slice (100 us),
// so that it runs soon after its deadline beside a busy thread. Linux reports
// a thread's slice (sched_getattr's runtime) from 6.12 on; older kernels
// report none, and the test has nothing to check there.
TEST(Snooze, AsksForAShortTimeSlice) {
    const auto sliceAsked = [] {  // microseconds; -1 when the kernel cannot say
        struct {
            uint32_t size, policy;
            uint64_t flags;
            int32_t nice;
            uint32_t priority;
            uint64_t runtime, deadline, period;
        } attributes{};
        return syscall(SYS_sched_getattr, 0, &attributes, static_cast<unsigned>(sizeof attributes), 0u) == 0
                   ? static_cast<long>(attributes.runtime / 1000)
                   : -1L;
    };
    long before = -1, after = -1;
    std::thread([&] {
        before = sliceAsked();
        snooze(100);
        after = sliceAsked();
    }).join();
    if (before <= 0 && after <= 0) GTEST_SKIP() << "this kernel does not report the slice a thread asks for";
    EXPECT_EQ(after, 100);
}
