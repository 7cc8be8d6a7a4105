// The queue between the server and the emulation thread: events in order,
// replies waking the server's poll, and a limit on what one client may queue.
#include <gtest/gtest.h>
#include <poll.h>

#include <utility>
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
// leave one event, the last; what a client asked in between keeps its place.
TEST(Channel, ConnectionChangesInARowComeToTheLast) {
    Channel channel;
    constexpr uint64_t kClients = 100000;
    for (uint64_t client = 1; client <= kClients; ++client) {
        ASSERT_TRUE(channel.post({Event::Connected, client, {}}));
        ASSERT_TRUE(channel.post({Event::Disconnected, client, {}}));
    }
    ASSERT_TRUE(channel.post({Event::Connected, kClients + 1, {}}));
    ASSERT_TRUE(channel.post(request(kClients + 1, CommandKind::Kill)));
    ASSERT_TRUE(channel.post({Event::Disconnected, kClients + 1, {}}));

    std::vector<std::pair<Event::Kind, uint64_t>> taken;
    Event e;
    while (channel.next(e, std::chrono::milliseconds(0))) taken.emplace_back(e.kind, e.client);
    const std::vector<std::pair<Event::Kind, uint64_t>> expected = {
        {Event::Connected, kClients + 1}, {Event::Request, kClients + 1}, {Event::Disconnected, kClients + 1}};
    EXPECT_EQ(taken, expected);
}

}  // namespace
