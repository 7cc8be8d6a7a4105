// The debug monitor fed hostile standard input through the frame driver with
// debugging on (arbitrary command lines are the monitor fuzz target's): long
// commands end through the stop check, the output stays within what the
// commands can print, and at the end of its input it returns at once.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "board.h"
#include "cpudebug.h"
#include "hostile_support.h"
#include "monitor.h"

using namespace hostile;

namespace {

constexpr int kChecksPerEntry = 2000;  // stop checks (steps, waits) allowed in one entry
constexpr size_t kBytesPerCommand = 4096, kBytesPerStep = 160;
int checks = 0;

struct StopRequested {};

// Standard input and output replaced by files while it lives.
class Redirected {
public:
    Redirected(const fs::path& in, const fs::path& out) {
        std::fflush(stdout);
        const int fds[2] = {open(in.c_str(), O_RDONLY), open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
        for (int n = 0; n < 2; ++n) saved_[n] = dup(n), dup2(fds[n], n), close(fds[n]);
        console_reset();
    }
    ~Redirected() {
        std::fflush(stdout);
        for (int n = 0; n < 2; ++n) dup2(saved_[n], n), close(saved_[n]);
        console_reset();
    }
    static off_t printed() {
        std::fflush(stdout);
        struct stat st {};
        return fstat(1, &st) == 0 ? st.st_size : -1;
    }

private:
    int saved_[2];
};

void feedTheMonitor(const std::string& input) {
    RomSet set;
    std::mt19937 random(0x5EED);  // a program of random words
    ProgramImage image(0x00104000, 0x400);
    for (uint32_t a = 8; a < kProgramSize; a += 2) image.words(a, {static_cast<uint16_t>(random())});
    set.writeComplete(image);
    NextInterrupt = 0;
    ASSERT_NE(consoleOf([&] { pm_initAll(set.prefix().c_str()); }).find("CPU Reset...Success"), std::string::npos);
    std::ofstream(set.path() / "input", std::ios::binary) << input;
    cpudebug_stop_check = [] {
        if (++checks > kChecksPerEntry) throw StopRequested();
    };
    size_t entries = 0, stops = 0, steps = 0;
    {
        Watchdog watchdog(240, "the monitor on its input");
        Redirected console(set.path() / "input", set.path() / "output");
        for (off_t printed = 0; entries < 100000; printed = Redirected::printed(), ++entries) {
            checks = 0;
            try {
                ASSERT_EQ(pm_render(true, entries % 2 == 1, 60), render_offscreen);  // paused every other frame
            } catch (const StopRequested&) {
                ++stops;
            }
            steps += static_cast<size_t>(checks);
            if (Redirected::printed() == printed) break;  // returned without a prompt: at the end of its input
        }
        EXPECT_EQ(lseek(0, 0, SEEK_CUR), static_cast<off_t>(input.size())) << "input left unread";
        const off_t printed = Redirected::printed();
        const double start = secondsNow();
        checks = 0;
        for (int i = 0; i < 200; ++i) ASSERT_EQ(pm_render(true, true, 60), render_offscreen);
        EXPECT_LT(secondsNow() - start, 1.0);
        EXPECT_EQ(checks, 0) << "the monitor waited or stepped at the end of its input";
        EXPECT_EQ(Redirected::printed(), printed) << "the monitor prompted at the end of its input";
    }
    cpudebug_stop_check = nullptr;
    EXPECT_GT(stops, 0u) << "no long command ended through the stop check";
    std::ifstream text(set.path() / "output", std::ios::binary);
    size_t bytes = 0, prompts = 0;
    for (std::string line; std::getline(text, line);) {
        if (line.find("I/O read from unknown port 0x") != std::string::npos) continue;  // stepped reads
        bytes += line.size() + 1;
        for (size_t at = line.find("[cpu 1]>"); at != std::string::npos; at = line.find("[cpu 1]>", at + 1)) ++prompts;
    }
    EXPECT_GT(prompts, 0u);
    EXPECT_LE(bytes, prompts * kBytesPerCommand + steps * kBytesPerStep) << prompts << " prompts, " << steps << " steps";
}

// Every command letter (and ones it does not know) with missing, blank, huge,
// negative, malformed, binary and overlong arguments; listings, dumps and
// runs across every region's end; long commands; the last line unended.
TEST(MonitorOnHostileInput, EndsLongCommandsAndReturnsAtTheEndOfItsInput) {
    std::string lines;
    for (const char letter : std::string("?bcdehijqrstuBCDEHIJQRSTUxz!@ \t"))
        for (const char* argument : {"", " ", " -1", " 0x", " 12345678", " FFFFFFFFFFFFFFFFFFFF", "\x01\x1b[A\x7f\xff 12",
                                     " zz", "\t\t 400", " 7", "\0 1"})
            lines += letter + std::string(argument) + "\n";
    lines += std::string(3000, '9') + "\n";
    for (const char* edge : {"3FFF8", "103FF8", "500000", "500004", "5FFFFC", "6001FA", "701DF9", "FFFFFC"})
        lines += std::string("u ") + edge + "\nd " + edge + "\nj " + edge + "\nt 20\n";
    lines += "b FFFFFE\nt FFFFFFFF\ne\nT 7fffffff\nu FFFFFFF0\nd FFFFFFF8\nj 103FFF\ne";
    feedTheMonitor(lines);
}

}  // namespace
