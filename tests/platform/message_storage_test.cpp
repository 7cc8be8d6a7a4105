// Messages, entries and paths, and the file panel's delivery.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "file_panel.h"
#include "kit_test_app.h"
#include "storage.h"

TEST(Message, FindsWhatWasAddedAndNamesWhatIsMissing) {
    BMessage message(0x8001);
    const entry_ref first("/games/one"), second("/games/two");
    message.AddRef("refs", &first);
    message.AddRef("refs", &second);
    message.AddInt32("count", 2);
    EXPECT_EQ(message.AddInt32("refs", 3), B_BAD_TYPE) << "one type per name";
    const BMessage copy(message);
    entry_ref found;
    for (const auto& [name, index, status] : {std::tuple{"refs", 1, B_OK}, {"refs", 2, B_BAD_INDEX},
                                             {"other", 0, B_NAME_NOT_FOUND}, {"count", 0, B_BAD_TYPE}})
        EXPECT_EQ(copy.FindRef(name, index, &found), status) << name << index;
    EXPECT_EQ(found, second);
    // Refused and changing nothing: no name, no value, a negative index, another type; no place to copy to.
    int32 number = 0;
    const char* text = nullptr;
    int row = 0;
    for (const auto& [got, status] :
         {std::pair{message.AddInt32("", 1), B_BAD_VALUE}, {message.AddInt32(nullptr, 1), B_BAD_VALUE},
          {message.AddRef("r", nullptr), B_BAD_VALUE}, {message.AddString("s", nullptr), B_BAD_VALUE},
          {copy.FindRef(nullptr, 0, &found), B_BAD_VALUE}, {copy.FindRef("refs", -1, &found), B_BAD_INDEX},
          {copy.FindRef("refs", 0, nullptr), B_OK}, {copy.FindInt32("refs", &number), B_BAD_TYPE},
          {copy.FindInt32(nullptr, &number), B_BAD_VALUE}, {copy.FindInt32("other", &number), B_NAME_NOT_FOUND},
          {copy.FindInt32("count", nullptr), B_OK}, {copy.FindString("count", &text), B_BAD_TYPE},
          {copy.FindString(nullptr, &text), B_BAD_VALUE}, {copy.FindString("other", &text), B_NAME_NOT_FOUND}})
        EXPECT_EQ(got, status) << "row " << row++;
    EXPECT_FALSE(message.HasField("") || message.HasField(nullptr) || message.HasField("r") || message.HasField("s"));
    EXPECT_TRUE(found == second && number == 0 && text == nullptr);
}

// A link is the link itself without traversal, its target with it.
TEST(Storage, EntriesTraverseLinksOnlyWhenAsked) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kit-storage-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "game.rom").put('x');
    fs::create_symlink(dir / "game.rom", dir / "link");
    const entry_ref ref((dir / "link").c_str());
    BEntry entry;
    BPath path;
    for (const auto& [traverse, expected] : {std::pair{false, dir / "link"}, {true, fs::canonical(dir / "game.rom")}}) {
        EXPECT_EQ(entry.SetTo(&ref, traverse), B_OK);
        EXPECT_EQ(entry.GetPath(&path), B_OK);
        EXPECT_EQ(std::string(path.Path()) + " " + path.Leaf(), expected.string() + " " + expected.filename().string());
        EXPECT_TRUE(entry.Exists());
    }
    fs::remove_all(dir);
    EXPECT_FALSE(entry.Exists()) << "removed";
    EXPECT_EQ(entry.GetPath(nullptr), B_BAD_VALUE);
    EXPECT_EQ(std::string(BPath("game.rom").Leaf()) + (BPath(nullptr).Leaf() ? "?" : ""), "game.rom");
    const entry_ref empty;
    EXPECT_EQ(entry.SetTo(&empty), B_BAD_VALUE);
    EXPECT_EQ(entry.SetTo(static_cast<const entry_ref*>(nullptr)), B_BAD_VALUE);
    EXPECT_EQ(entry.GetPath(&path), B_NO_INIT);
    EXPECT_FALSE(entry.Exists());
}

TEST(FilePanel, SendsItsMessageWithTheChosenRefs) {
    struct Inbox : BLooper {
        ~Inbox() override { StopLoop(); }
        void MessageReceived(BMessage* message) override {
            for (entry_ref ref; message->FindRef("refs", got % 10, &ref) == B_OK;) ++got;
            got += message->what * 10;
        }
        std::atomic<uint32> got{0};
    } inbox;
    inbox.Run();
    BMessenger messenger(&inbox);
    BMessage custom(0x8001);
    BFilePanel panel(B_OPEN_PANEL, &messenger, nullptr, 0, true, &custom);
    BFilePanel single(B_OPEN_PANEL, &messenger, nullptr, 0, false);
    EXPECT_EQ(single.Message()->what, B_REFS_RECEIVED) << "by default";
    EXPECT_EQ(BFilePanel().SendRefs({entry_ref("/a")}), B_BAD_VALUE) << "no target and no application";
    EXPECT_EQ(panel.SendRefs({}), B_BAD_VALUE);
    EXPECT_EQ(single.SendRefs({entry_ref("/a"), entry_ref("/b")}), B_BAD_VALUE);
    ASSERT_EQ(panel.SendRefs({entry_ref("/a"), entry_ref("/b")}), B_OK);
    EXPECT_TRUE(kit_test::eventually([&] { return inbox.got == 0x8001 * 10 + 2; })) << inbox.got;
}

