// A looper's order, lock and quitting.
#include <gtest/gtest.h>

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
