// The stub end to end over a socket: its server thread and an emulation
// thread that runs a small machine frame by frame through the stub's hooks,
// as the program's emulation thread does. The client is the test, speaking
// the protocol byte by byte: attaching, registers and memory, breakpoints,
// watchpoints, steps, the interrupt byte, acknowledgements and no-ack mode,
// bad checksums, hostile packets, kill, detach, a second client and a client
// that just goes away.
#include <atomic>
#include <string>
#include <thread>
#include <utility>

#include "core_fixture.h"
#include "gdb_stub.h"
#include "rsp_client.h"
#include "s68000_debug.h"

namespace {

using namespace coretest;

constexpr uint32_t kLoop = CODE;         // ADDQ.L #1,D0
constexpr uint32_t kStore = CODE + 2;    // MOVE.W D0,$2000
constexpr uint32_t kBranch = CODE + 8;   // BRA.S kLoop
constexpr uint32_t kCounter = 0x2000;    // written on every round
constexpr int32_t kSliceCycles = 2000;

struct Quit {};
std::atomic<bool> quitting{false};
std::atomic<int> kills{0};

void wait_check() {
    if (quitting.load()) throw Quit{};
}
void count_kill() { ++kills; }

class StubSession : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        start();
        code().w(0x5280).w(0x33C0).l(kCounter).w(0x60F6);
        std::string error;
        const int port = gdb_stub_start(0, error);
        ASSERT_GT(port, 0) << error;
        port_ = static_cast<uint16_t>(port);
        quitting = false;
        kills = 0;
        gdb_stub_wait_check = wait_check;
        gdb_stub_kill_request = count_kill;
        emulation_ = std::thread([] {
            // Frames as the program runs them: the boundary, then three slices.
            try {
                while (!quitting.load()) {
                    gdb_stub_frame_boundary();
                    for (int i = 0; i < 3; ++i) gdb_stub_run_slice(kSliceCycles);
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
            } catch (const Quit&) {
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
    std::unique_ptr<RspClient> attach() {
        auto client = std::make_unique<RspClient>(port_);
        EXPECT_TRUE(client->connected());
        EXPECT_EQ(client->request("?"), "S05");
        return client;
    }
    // A register from 'g': d0 is 0, pc 17.
    static uint32_t reg(RspClient& c, int n) {
        const std::string g = c.request("g");
        return g.size() == 18 * 8 ? static_cast<uint32_t>(std::stoul(g.substr(8 * n, 8), nullptr, 16)) : 0xBAD;
    }
    // Stops the running target with the interrupt byte.
    static void interrupt(RspClient& c) {
        c.send_raw("\x03");
        EXPECT_EQ(c.read_packet(), "S02");
    }

    // The text of a `monitor` command line, ending with `last`.
    static std::string monitor(RspClient& c, const std::string& line, const std::string& last = "OK") {
        std::string packet = "qRcmd,", text;
        for (const unsigned char ch : line) packet += {"0123456789abcdef"[ch >> 4], "0123456789abcdef"[ch & 15]};
        for (std::string reply = c.request(packet); reply != last; reply = c.read_packet()) {
            if (reply.empty() || reply[0] != 'O') return "<" + reply + ">";
            for (size_t i = 1; i + 1 < reply.size(); i += 2)
                text += static_cast<char>(std::stoi(reply.substr(i, 2), nullptr, 16));
        }
        return text;
    }

    uint16_t port_ = 0;
    std::thread emulation_;
};

TEST_F(StubSession, TheTargetWaitsForItsFirstClientAndRunsUnderItsControl) {
    auto gdb = attach();
    EXPECT_EQ(reg(*gdb, 0), 0u);  // nothing ran before the client came
    EXPECT_EQ(reg(*gdb, 17), kLoop);
    EXPECT_EQ(gdb->request("qSupported:swbreak+"),
              "PacketSize=1000;qXfer:features:read+;QStartNoAckMode+;ReverseStep+;ReverseContinue+");
    EXPECT_EQ(gdb->request("vMustReplyEmpty"), "");
    EXPECT_EQ(gdb->request("qAttached"), "1");

    gdb->send("c");
    EXPECT_EQ(gdb->read_byte(), '+');
    interrupt(*gdb);
    EXPECT_GT(reg(*gdb, 0), 0u);
}

TEST_F(StubSession, BreakpointsStepsAndTheInterruptByte) {
    auto gdb = attach();
    EXPECT_EQ(gdb->request("Z0,1008,2"), "OK");
    gdb->send("c");
    EXPECT_EQ(gdb->read_packet(), "S05");
    EXPECT_EQ(gdb->skipped(), "+");
    EXPECT_EQ(reg(*gdb, 17), kBranch);
    EXPECT_EQ(reg(*gdb, 0), 1u);

    // Continuing steps over the breakpoint once and stops there next time.
    gdb->send("c");
    EXPECT_EQ(gdb->read_packet(), "S05");
    EXPECT_EQ(reg(*gdb, 0), 2u);

    // One instruction.
    EXPECT_EQ(gdb->request("s"), "S05");
    EXPECT_EQ(reg(*gdb, 17), kLoop);
    EXPECT_EQ(gdb->request("s"), "S05");
    EXPECT_EQ(reg(*gdb, 17), kStore);
    EXPECT_EQ(reg(*gdb, 0), 3u);

    // Without breakpoints it runs until interrupted.
    EXPECT_EQ(gdb->request("z0,1008,2"), "OK");
    gdb->send("vCont;c");
    EXPECT_EQ(gdb->read_byte(), '+');
    gdb->send("g");  // a client should not ask while the target runs: dropped
    EXPECT_EQ(gdb->read_byte(), '+');
    interrupt(*gdb);
    EXPECT_GT(reg(*gdb, 0), 3u);
}

TEST_F(StubSession, AWatchpointStopsAfterTheWritingInstruction) {
    auto gdb = attach();
    EXPECT_EQ(gdb->request("Z2,2000,2"), "OK");
    gdb->send("c");
    EXPECT_EQ(gdb->read_packet(), "T05watch:00002000;");
    EXPECT_EQ(reg(*gdb, 17), kBranch);
    EXPECT_EQ(gdb->request("m2000,2"), "0001");
    EXPECT_EQ(gdb->request("z2,2000,2"), "OK");
    EXPECT_EQ(gdb->request("Z3,2000,2"), "OK");
    gdb->send("c");
    EXPECT_EQ(gdb->read_byte(), '+');
    interrupt(*gdb);  // the loop never reads the word
    EXPECT_EQ(gdb->request("Z4,2000,2"), "OK");
    gdb->send("c");
    EXPECT_EQ(gdb->read_packet(), "T05awatch:00002000;");
}

TEST_F(StubSession, RegistersAndMemoryWhileStopped) {
    auto gdb = attach();
    EXPECT_EQ(gdb->request("P0=00000100"), "OK");
    EXPECT_EQ(gdb->request("M2000,4:cafef00d"), "OK");
    EXPECT_EQ(gdb->request("m2000,4"), "cafef00d");
    EXPECT_EQ(gdb->request("m2001,2"), "fef0");
    EXPECT_EQ(gdb->request("s"), "S05");
    EXPECT_EQ(reg(*gdb, 0), 0x101u);
    EXPECT_EQ(gdb->request("p0"), "00000101");
    EXPECT_EQ(gdb->request("p99"), "E02");
}

TEST_F(StubSession, BadChecksumsRetransmissionAndNoAckMode) {
    auto gdb = attach();
    gdb->send_raw("$g#00");
    EXPECT_EQ(gdb->read_byte(), '-');  // and no reply
    EXPECT_EQ(gdb->request("p11"), "00001000");
    // The client did not get it: '-' asks for it again.
    gdb->send_raw("-");
    EXPECT_EQ(gdb->read_packet(), "00001000");
    EXPECT_EQ(gdb->skipped(), "");

    EXPECT_EQ(gdb->request("QStartNoAckMode"), "OK");
    gdb->acks = false;
    EXPECT_EQ(gdb->request("p11"), "00001000");  // no '+' before it
    gdb->send_raw("$g#00");                      // dropped without a word
    gdb->send_raw("-");                          // means nothing now
    EXPECT_EQ(gdb->request("p0"), "00000000");
    gdb->send("c");
    interrupt(*gdb);
}

TEST_F(StubSession, HostilePacketsGetErrorsOrNothingAndChangeNothing) {
    auto gdb = attach();
    gdb->send_raw("noise\r\n#99+++");
    EXPECT_EQ(gdb->request("m2000"), "E01");
    EXPECT_EQ(gdb->request("M2000,4:cafe"), "E01");
    EXPECT_EQ(gdb->request("Z9,1000,2"), "E01");
    EXPECT_EQ(gdb->request("G00"), "E01");
    EXPECT_EQ(gdb->request("X2000,4:abcd"), "");
    // Monitor commands refused: the reason, which names what was wrong, then
    // an error; the place of the next dump stays where it was.
    EXPECT_EQ(monitor(*gdb, "d 2000").substr(0, 10), "00002000: ");
    for (const auto& [line, named] : {std::pair{"reset", "'reset'"}, {"d 12zz", "'12zz'"}, {"d 1 2", "'2'"},
                                      {"u 100000000", "'100000000'"}, {"r x", "'x'"}}) {
        EXPECT_NE(monitor(*gdb, line, "E01").find(named), std::string::npos) << line;
    }
    EXPECT_EQ(monitor(*gdb, "d").substr(0, 10), "00002080: ");
    gdb->send_raw("$" + std::string(10000, 'M') + "#00");  // too long (and a bad checksum)
    EXPECT_EQ(gdb->read_byte(), '-');
    gdb->send(std::string(5000, 'm'));  // too long, checksum right
    EXPECT_EQ(gdb->read_packet(), "E01");
    const std::string big = gdb->request("m0,ffffffff");
    EXPECT_EQ(big.size(), 2u * 2000);  // a part of it, as the protocol allows
    EXPECT_EQ(gdb->request("mfffffff0,20").size(), 0x40u);  // wraps through the 24-bit bus
    EXPECT_EQ(reg(*gdb, 0), 0u);
    EXPECT_EQ(reg(*gdb, 17), kLoop);
    EXPECT_EQ(gdb->request("m2000,2"), "0000");

    // A storm of interrupt bytes stops the target once.
    gdb->send("c");
    EXPECT_EQ(gdb->read_byte(), '+');
    gdb->send_raw(std::string(100000, '\x03'));
    EXPECT_EQ(gdb->read_packet(), "S02");
    EXPECT_EQ(gdb->request("?"), "S02");
}

TEST_F(StubSession, DetachEndsTheSessionAndTheTargetRunsOn) {
    auto gdb = attach();
    EXPECT_EQ(gdb->request("Z0,1008,2"), "OK");
    EXPECT_EQ(gdb->request("Z2,2000,2"), "OK");
    EXPECT_EQ(gdb->request("D"), "OK");
    EXPECT_TRUE(gdb->closed_by_stub());

    // The next client stops a target that has been running without breakpoints.
    auto next = attach();
    EXPECT_GT(reg(*next, 0), 1u);
    EXPECT_EQ(kills.load(), 0);
}

TEST_F(StubSession, KillEndsTheSessionAndAsksTheHostToReset) {
    auto gdb = attach();
    EXPECT_EQ(gdb->request("Z0,1008,2"), "OK");
    gdb->send("k");
    EXPECT_TRUE(gdb->closed_by_stub());
    auto next = attach();
    EXPECT_EQ(kills.load(), 1);
    EXPECT_GT(reg(*next, 0), 1u);  // the breakpoint went with the session
}

TEST_F(StubSession, OneClientAtATimeAndOneThatGoesAwayLeavesTheTargetRunning) {
    auto gdb = attach();
    RspClient second(port_);
    EXPECT_TRUE(second.closed_by_stub());
    EXPECT_EQ(reg(*gdb, 17), kLoop);  // the first is still served
    EXPECT_EQ(gdb->request("Z0,1008,2"), "OK");
    gdb.reset();  // gone without a word

    auto next = attach();
    EXPECT_GT(reg(*next, 0), 1u);
    next->send("c");
    EXPECT_EQ(next->read_byte(), '+');
    interrupt(*next);  // the old breakpoint did not stop it
}

}  // namespace
