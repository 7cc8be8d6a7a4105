// The stub end to end over a socket: its server thread and an emulation
// thread that runs a small machine frame by frame through the stub's hooks,
// as the program's does. The test is the client, its bytes compared with
// packets framed here, independently of the stub, doing what gdb never does
// (the real client's run shows the rest): a breakpoint continued from, packets
// while the target runs, bad checksums and hostile packets, a storm of
// interrupt bytes, a second client, a client that goes away or never reads.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "client_framing.h"
#include "core_fixture.h"
#include "gdb_stub.h"
#include "s68000_debug.h"
#include "server.h"

namespace {

using namespace coretest;

constexpr uint32_t kBranch = CODE + 8;  // CODE: ADDQ.L #1,D0; MOVE.W D0,$2000; BRA.S CODE
const std::string kTooLong(5000, 'm');  // longer than a packet may be
std::atomic<bool> quitting{false};
std::atomic<int> kills{0};

// A connection to the stub on 127.0.0.1. Reads give up after 20 s of
// silence, so that a stub that never answers fails the test.
class Client {
public:
    explicit Client(uint16_t port, int receive_buffer = 0) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        if (receive_buffer) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
        sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~Client() { close(fd_); }
    void send(const std::string& bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // What comes, up to the end of a packet ('#' and two digits) or `bytes` bytes.
    std::string next(size_t bytes = 1 << 20) {
        std::string got;
        pollfd p{fd_, POLLIN, 0};
        for (char c; got.size() < bytes && (got.size() < 3 || got[got.size() - 3] != '#'); got += c) {
            const ssize_t n = poll(&p, 1, 20000) > 0 ? read(fd_, &c, 1) : -1;
            closed_ = n == 0 || (n < 0 && errno == ECONNRESET);
            if (n != 1) break;
        }
        return got;
    }
    std::string request(const std::string& payload) { return send(framed(payload)), next(); }
    // Register n (d0 is 0, pc 17) from the reply to 'g'.
    uint32_t reg(int n) { return static_cast<uint32_t>(std::stoul(request("g").substr(2 + 8 * n, 8), nullptr, 16)); }
    bool closed_by_stub() {  // reads until it does
        while (!next(1).empty()) {
        }
        return closed_;
    }

private:
    int fd_;
    bool closed_ = false;
};

class StubSession : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        start();
        code().w(0x5280).w(0x33C0).l(0x2000).w(0x60F6);
        std::string error;
        port_ = static_cast<uint16_t>(gdb_stub_start(0, error));
        ASSERT_GT(port_, 0) << error;
        EXPECT_EQ(gdb_stub_start(0, error), -1) << "started twice";
        quitting = false;
        kills = 0;
        gdb_stub_wait_check = [] {
            if (quitting) throw 0;
        };
        gdb_stub_kill_request = [] { ++kills; };
        emulation_ = std::thread([] {  // frames as the program runs them: the boundary, then three slices
            try {
                while (!quitting) {
                    gdb_stub_frame_boundary();
                    for (int slice = 0; slice < 3; ++slice) gdb_stub_run_slice(2000);
                }
            } catch (int) {
            }
        });
    }
    void TearDown() override {
        quitting = true;
        if (emulation_.joinable()) emulation_.join();
        gdb_stub_stop();
        gdb_stub_wait_check = nullptr;
        gdb_stub_kill_request = nullptr;
        s68000clearBreakpoints();
        s68000clearWatchpoints();
        CoreTest::TearDown();
    }
    // Connects and asks why the target stopped, as gdb does first.
    std::unique_ptr<Client> attach() {
        auto client = std::make_unique<Client>(port_);
        client->send("-");  // nothing sent yet: nothing to send again
        EXPECT_EQ(client->request("?"), "+" + framed("S05"));
        return client;
    }

    uint16_t port_ = 0;
    std::thread emulation_;
};

TEST_F(StubSession, BreakpointsWatchpointsTheRunningTargetAndHostilePackets) {
    auto gdb = attach();
    EXPECT_EQ(gdb->reg(0), 0u) << "nothing runs before the first client";
    gdb->request("Z0,1008,2");
    for (const uint32_t d0 : {1u, 2u}) {  // continuing from it steps over it once
        EXPECT_EQ(gdb->request("c"), "+" + framed("S05"));
        EXPECT_EQ(gdb->reg(17), kBranch);
        EXPECT_EQ(gdb->reg(0), d0);
    }
    gdb->request("z0,1008,2");
    gdb->request("Z3,2000,2");
    gdb->send(framed("c") + framed("g") + framed(kTooLong));  // no watched read; asking while it runs: dropped
    EXPECT_EQ(gdb->next(3), "+++");
    gdb->send(std::string(100000, '\x03'));  // a storm of interrupt bytes stops it once
    EXPECT_EQ(gdb->next(), framed("S02"));
    EXPECT_EQ(gdb->request("?"), "+" + framed("S02"));
    gdb->request("Z4,2000,2");
    EXPECT_EQ(gdb->request("c"), "+" + framed("T05awatch:00002000;"));
    EXPECT_EQ(gdb->reg(17), kBranch) << "stopped after the writing instruction";
    // Refused (no history here), the target stays stopped and answers what follows.
    EXPECT_EQ(gdb->request("bc") + gdb->request("bs") + gdb->request("?"),
              "+" + framed("E01") + "+" + framed("E01") + "+" + framed("T05awatch:00002000;"));
    EXPECT_EQ(gdb->request("s1002"), "+" + framed("T05awatch:00002000;"));
    EXPECT_EQ(gdb->reg(17), kBranch) << "stepped from 1002 over the write";
    gdb->send("\x03$g#00noise\r\n#99+++");  // an interrupt byte while stopped: nothing
    EXPECT_EQ(gdb->next(1), "-");  // and no reply
    EXPECT_EQ(gdb->request("p11"), "+" + framed("00001008"));
    gdb->send("-");  // the client did not get it: again
    EXPECT_EQ(gdb->next(), framed("00001008"));
    gdb->send("$" + std::string(10000, 'M') + "#00");  // too long, and a bad checksum
    EXPECT_EQ(gdb->next(1), "-");
    EXPECT_EQ(gdb->request(kTooLong), "+" + framed("E01")) << "too long, checksum right";
    EXPECT_EQ(gdb->request("QStartNoAckMode"), "+" + framed("OK"));
    gdb->send("$g#00-");  // dropped without a word; '-' means nothing now
    EXPECT_EQ(gdb->request("p11") + gdb->request(kTooLong), framed("00001008") + framed("E01"));
}

// Detach, kill and a client gone end the session and its breakpoints; the
// target runs on. One client at a time.
TEST_F(StubSession, SessionsEndWithDetachKillOrTheClientGoneAndOneClientAtATime) {
    for (const std::string end : {"D", "k", "gone"}) {
        auto gdb = attach();
        EXPECT_TRUE(Client(port_).closed_by_stub());
        EXPECT_EQ(gdb->request("Z0,1008,2"), "+" + framed("OK")) << "the first is still served";
        if (end == "D") {  // what follows a detach is acknowledged and dropped
            gdb->send(framed("D") + framed("g") + framed(kTooLong));
            EXPECT_EQ(gdb->next(), "+++" + framed("OK"));
        }
        if (end == "k") gdb->send(framed("k"));
        if (end != "gone") EXPECT_TRUE(gdb->closed_by_stub());
        gdb.reset();
        auto next = attach();
        EXPECT_GT(next->reg(0), 1u) << end << ": the target did not run on";
        EXPECT_EQ(kills.load(), end == "D" ? 0 : 1) << end;
        next->send(framed("c") + "\x03");  // the old breakpoint is gone
        EXPECT_EQ(next->next(), "+" + framed("S02"));
    }
}

// A client that asks and never reads is dropped once a megabyte of answers
// waits for it; the next one, reading late, gets every answer.
TEST_F(StubSession, AClientThatNeverReadsIsDropped) {
    Client gdb(port_, 4096);
    std::string asks;
    for (int i = 0; i < 8000; ++i) asks += framed("qXfer:features:read:target.xml:0,ffb");  // 10 MB of answers
    gdb.send(asks);
    EXPECT_TRUE(gdb.closed_by_stub());
    Client late(port_, 4096);  // reads once it has asked 500 times: every answer comes, whole
    late.send(asks.substr(0, asks.size() / 16));
    const std::string first = late.next();
    EXPECT_TRUE(first.starts_with("+$l<?xml")) << first.substr(0, 20);
    for (int i = 1; i < 500; ++i) ASSERT_EQ(late.next(), first) << i;
}

TEST(StubStart, ATakenPortOrOneAbove65535IsRefusedWithTheReason) {
    gdbstub::Channel channel;
    gdbstub::Server taken(channel);
    std::string error;
    ASSERT_TRUE(taken.start(0, error)) << error;
    EXPECT_EQ(gdb_stub_start(taken.port(), error), -1);
    EXPECT_EQ(error.find("cannot listen on 127.0.0.1:" + std::to_string(taken.port()) + ": "), 0u) << error;
    EXPECT_EQ(gdb_stub_start(65536, error), -1);
    EXPECT_EQ(error, "no port 65536");
}

}  // namespace
