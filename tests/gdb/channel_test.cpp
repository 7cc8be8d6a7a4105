// The queue between the server and the emulation thread: events in order,
// replies waking the server's poll, and a limit on what one client may queue.
#include <gtest/gtest.h>
#include <poll.h>

#include <vector>

#include "channel.h"

namespace {

using namespace gdbstub;

Event request(uint64_t client, CommandKind kind) {
    Event e{Event::Request, client, {}};
    e.command.kind = kind;
    return e;
}

TEST(Channel, EventsInOrderAndRepliesWakeTheServer) {
    Channel channel;
    EXPECT_FALSE(channel.pending());
    ASSERT_TRUE(channel.post({Event::Connected, 1, {}}));
    ASSERT_TRUE(channel.post(request(1, CommandKind::ReadRegisters)));
    EXPECT_TRUE(channel.pending());
    Event e;
    ASSERT_TRUE(channel.next(e, std::chrono::milliseconds(0)));
    EXPECT_EQ(e.kind, Event::Connected);
    ASSERT_TRUE(channel.next(e, std::chrono::milliseconds(0)));
    EXPECT_EQ(e.command.kind, CommandKind::ReadRegisters);
    EXPECT_FALSE(channel.pending());
    EXPECT_FALSE(channel.next(e, std::chrono::milliseconds(0)));

    pollfd p{channel.wake_fd(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 0);
    channel.reply(1, "OK");
    channel.reply(1, "S05", Reply::Stop);
    EXPECT_EQ(poll(&p, 1, 0), 1);
    channel.drain_wake();
    EXPECT_EQ(poll(&p, 1, 0), 0);
    Reply r;
    ASSERT_TRUE(channel.take_reply(r));
    EXPECT_EQ(r.payload, "OK");
    ASSERT_TRUE(channel.take_reply(r));
    EXPECT_EQ(r.kind, Reply::Stop);
    EXPECT_FALSE(channel.take_reply(r));
}

TEST(Channel, AClientCannotQueueWithoutEnd) {
    Channel channel;
    for (size_t i = 0; i < Channel::kMaxQueued; ++i) ASSERT_TRUE(channel.post(request(1, CommandKind::ReadMemory)));
    EXPECT_FALSE(channel.post(request(1, CommandKind::ReadMemory)));
    EXPECT_FALSE(channel.post({Event::Interrupt, 1, {}}));
    EXPECT_TRUE(channel.post({Event::Disconnected, 1, {}}));  // the end always gets through
    EXPECT_TRUE(channel.post({Event::Connected, 2, {}}));
    channel.clear();
    EXPECT_FALSE(channel.pending());
    EXPECT_TRUE(channel.post(request(2, CommandKind::ReadMemory)));
}

// While nothing takes the events (no game booted), clients that come and go
// leave one end; a start, and what a client asked, keep their places.
TEST(Channel, ConnectionChangesInARowComeToTheLast) {
    Channel channel;
    constexpr uint64_t kLast = 100000;
    for (uint64_t client = 1; client < kLast; ++client)
        for (const auto kind : {Event::Connected, Event::Disconnected}) ASSERT_TRUE(channel.post({kind, client, {}}));
    for (const Event& e : {Event{Event::Connected, kLast, {}}, request(kLast, CommandKind::Kill),
                           Event{Event::Disconnected, kLast, {}}})
        ASSERT_TRUE(channel.post(e));
    std::vector<int> kinds;
    for (Event e; channel.next(e, std::chrono::milliseconds(0));) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<int>{Event::Disconnected, Event::Connected, Event::Request, Event::Disconnected}));
}

}  // namespace
