// Messages, entries and paths, and the file panel's delivery.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "file_panel.h"
#include "message.h"
#include "storage.h"

TEST(Message, FindsWhatWasAddedAndNamesWhatIsMissing) {
    BMessage message(0x8001);
    const entry_ref first("/games/one"), second("/games/two");
    ASSERT_EQ(message.AddRef("refs", &first), B_OK);
    ASSERT_EQ(message.AddRef("refs", &second), B_OK);
    ASSERT_EQ(message.AddInt32("count", 2), B_OK);
    entry_ref found;
    EXPECT_EQ(message.FindRef("refs", &found), B_OK);
    EXPECT_EQ(found, first);
    EXPECT_EQ(message.FindRef("refs", 1, &found), B_OK);
    EXPECT_EQ(found, second);
    EXPECT_EQ(message.FindRef("refs", 2, &found), B_BAD_INDEX);
    EXPECT_EQ(message.FindRef("other", &found), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.FindRef("count", &found), B_BAD_TYPE);
    EXPECT_EQ(message.AddInt32("refs", 3), B_BAD_TYPE);  // one type per name
    int32 count = 0;
    EXPECT_EQ(message.FindInt32("count", &count), B_OK);
    EXPECT_EQ(count, 2);
    BMessage copy(message);
    EXPECT_EQ(copy.what, 0x8001u);
    EXPECT_EQ(copy.FindRef("refs", 1, &found), B_OK);
}

TEST(Storage, AnEntryWithoutTraversalIsTheLinkItself) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kit-storage-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::FILE* target = std::fopen((dir / "game.rom").c_str(), "w");
    ASSERT_NE(target, nullptr);
    std::fclose(target);
    fs::create_symlink(dir / "game.rom", dir / "link");

    const entry_ref ref((dir / "link").c_str());
    BEntry entry;
    BPath path;
    ASSERT_EQ(entry.SetTo(&ref, false), B_OK);
    ASSERT_EQ(entry.GetPath(&path), B_OK);
    EXPECT_EQ(std::string(path.Path()), (dir / "link").string());
    EXPECT_STREQ(path.Leaf(), "link");
    EXPECT_TRUE(entry.Exists());

    ASSERT_EQ(entry.SetTo(&ref, true), B_OK);
    ASSERT_EQ(entry.GetPath(&path), B_OK);
    EXPECT_EQ(std::string(path.Path()), fs::canonical(dir / "game.rom").string());
    fs::remove_all(dir);

    EXPECT_EQ(entry.SetTo(static_cast<const entry_ref*>(nullptr)), B_BAD_VALUE);
    EXPECT_EQ(entry.GetPath(&path), B_NO_INIT);
    const entry_ref empty;
    EXPECT_EQ(entry.SetTo(&empty), B_BAD_VALUE);
}

namespace {

class Inbox : public BLooper {
public:
    ~Inbox() override { StopLoop(); }
    void MessageReceived(BMessage* message) override {
        entry_ref ref;
        int32 count = 0;
        while (message->FindRef("refs", count, &ref) == B_OK) ++count;
        what = message->what;
        refs = count;
        arrived = true;
    }
    std::atomic<uint32> what{0};
    std::atomic<int32> refs{0};
    std::atomic<bool> arrived{false};
};

}  // namespace

TEST(FilePanel, SendsItsMessageWithTheChosenRefs) {
    Inbox inbox;
    inbox.Run();
    BMessenger messenger(&inbox);
    BFilePanel panel(B_OPEN_PANEL, &messenger, nullptr, 0, true, nullptr, nullptr, false, true);
    EXPECT_EQ(panel.Message()->what, B_REFS_RECEIVED);
    BMessage custom(0x8001);
    panel.SetMessage(&custom);
    EXPECT_EQ(panel.SendRefs({}), B_BAD_VALUE);
    ASSERT_EQ(panel.SendRefs({entry_ref("/a"), entry_ref("/b")}), B_OK);
    while (!inbox.arrived) snooze(1000);
    EXPECT_EQ(inbox.what.load(), 0x8001u);
    EXPECT_EQ(inbox.refs.load(), 2);

    BFilePanel single(B_OPEN_PANEL, &messenger, nullptr, 0, false);
    EXPECT_EQ(single.SendRefs({entry_ref("/a"), entry_ref("/b")}), B_BAD_VALUE);
}
