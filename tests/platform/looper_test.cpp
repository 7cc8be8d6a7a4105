// Loopers: order of messages, the lock held while handling, quitting.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "looper.h"

namespace {

constexpr uint32 kDone = 'done';

class Recorder : public BLooper {
public:
    Recorder() : BLooper("recorder") {}
    ~Recorder() override { StopLoop(); }

    void MessageReceived(BMessage* message) override {
        std::lock_guard held(lock);
        codes.push_back(message->what);
        lockedWhileHandling = lockedWhileHandling && IsLocked();
        onOwnThread = onOwnThread && find_own();
        if (message->what == kDone) done.store(true);
    }
    bool QuitRequested() override {
        quitAsked.fetch_add(1);
        return allowQuit.load();
    }
    bool find_own() const { return find_thread(nullptr) == Thread(); }

    std::mutex lock;
    std::vector<uint32> codes;
    bool lockedWhileHandling = true;
    bool onOwnThread = true;
    std::atomic<bool> done{false};
    std::atomic<int> quitAsked{0};
    std::atomic<bool> allowQuit{true};
};

void waitUntil(const std::atomic<bool>& flag) {
    while (!flag.load()) snooze(1000);
}

}  // namespace

TEST(Looper, HandlesMessagesInOrderWithItsLockHeld) {
    Recorder looper;
    looper.Run();
    for (uint32 code = 1; code <= 50; ++code) looper.PostMessage(code);
    looper.PostMessage(kDone);
    waitUntil(looper.done);
    std::lock_guard held(looper.lock);
    ASSERT_EQ(looper.codes.size(), 51u);
    for (uint32 i = 0; i < 50; ++i) EXPECT_EQ(looper.codes[i], i + 1);
    EXPECT_TRUE(looper.lockedWhileHandling);
    EXPECT_TRUE(looper.onOwnThread);
}

TEST(Looper, MessagesWaitWhileAnotherThreadHoldsTheLock) {
    Recorder looper;
    looper.Run();
    ASSERT_TRUE(looper.Lock());
    ASSERT_TRUE(looper.Lock());  // recursive for its owner
    looper.PostMessage(kDone);
    snooze(30'000);
    EXPECT_FALSE(looper.done.load());
    looper.Unlock();
    snooze(10'000);
    EXPECT_FALSE(looper.done.load());
    looper.Unlock();
    waitUntil(looper.done);
}

TEST(Looper, QuitRequestedDecidesWhetherTheLoopEnds) {
    Recorder looper;
    looper.Run();
    looper.allowQuit = false;
    looper.PostMessage(B_QUIT_REQUESTED);
    looper.PostMessage(kDone);
    waitUntil(looper.done);
    EXPECT_EQ(looper.quitAsked.load(), 1);
    EXPECT_FALSE(looper.IsQuitting());

    looper.allowQuit = true;
    looper.PostMessage(B_QUIT_REQUESTED);
    while (!looper.IsQuitting()) snooze(1000);
    status_t result;
    EXPECT_EQ(wait_for_thread(looper.Thread(), &result), B_OK);  // the loop's thread ended
    EXPECT_EQ(looper.PostMessage(kDone), B_ERROR);
}

TEST(Looper, UnlockByAnotherThreadThanTheOwnerIsIgnored) {
    Recorder looper;
    ASSERT_TRUE(looper.Lock());
    std::thread other([&] { looper.Unlock(); });
    other.join();
    EXPECT_TRUE(looper.IsLocked());
    looper.Unlock();
    EXPECT_FALSE(looper.IsLocked());
}
