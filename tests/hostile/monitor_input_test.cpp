// The debug monitor fed whatever standard input holds: a file of random
// bytes and a file of random command lines, through the frame driver with
// debugging on, over a program ROM of random words. The long commands the
// input happens to spell (e, b, t with huge counts) end through the stop
// check; nothing crashes, the output stays within what the commands can
// print, and once the input is at its end the monitor returns at once.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

#include "board.h"
#include "cpudebug.h"
#include "hostile_support.h"
#include "monitor.h"

using namespace hostile;

namespace {

// Stop-check calls (one per step of e, b and t, one per wait for input)
// allowed in one entry of the monitor before the check ends it.
constexpr int kChecksPerEntry = 2000;
// What one command may print apart from its steps, and what one step may print.
constexpr size_t kBytesPerCommand = 4096;
constexpr size_t kBytesPerStep = 160;

struct StopRequested : std::runtime_error {
    StopRequested() : std::runtime_error("stop") {}
};

int checksThisEntry = 0;
void throwingStopCheck() {
    if (++checksThisEntry > kChecksPerEntry) throw StopRequested();
}

// Standard output into a file, so that its size can be read after each entry.
class StdoutToFile {
public:
    explicit StdoutToFile(const fs::path& path) {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDOUT_FILENO);
        close(fd);
    }
    ~StdoutToFile() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    off_t size() const {
        std::fflush(stdout);
        struct stat st {};
        fstat(STDOUT_FILENO, &st);
        return st.st_size;
    }

private:
    int saved_ = -1;
};

// Standard input from a file for the test's duration.
class StdinFromFile {
public:
    explicit StdinFromFile(const fs::path& path) {
        saved_ = dup(STDIN_FILENO);
        const int fd = open(path.c_str(), O_RDONLY);
        dup2(fd, STDIN_FILENO);
        close(fd);
        console_reset();
    }
    ~StdinFromFile() {
        dup2(saved_, STDIN_FILENO);
        close(saved_);
        console_reset();
    }

private:
    int saved_ = -1;
};

class MonitorOnHostileInput : public ::testing::Test {
protected:
    void SetUp() override {
        // A program ROM of random words behind sane reset vectors.
        std::mt19937 random(0x5EED);
        ProgramImage image(0x00104000, 0x400);
        for (uint32_t a = 8; a < kProgramSize; a += 2) image.words(a, {static_cast<uint16_t>(random())});
        set_.writeComplete(image);
        NextInterrupt = 0;
        const std::string out = consoleOf([&] { pm_initAll(set_.prefix().c_str()); });
        ASSERT_NE(out.find("CPU Reset...Success"), std::string::npos) << out;
        cpudebug_stop_check = throwingStopCheck;
    }
    void TearDown() override { cpudebug_stop_check = nullptr; }

    void writeInput(const std::string& bytes) {
        std::ofstream(input_, std::ios::binary) << bytes;
    }

    // Feeds the input file to the monitor, a frame at a time, until an entry
    // prints nothing; then checks the whole input was read and the output.
    void feedTheMonitor(bool expectStops) {
        const off_t inputSize = static_cast<off_t>(fs::file_size(input_));
        size_t entries = 0, stops = 0, checks = 0;
        off_t printed = 0;
        {
            Watchdog watchdog(240, "the monitor on " + input_.filename().string());
            StdinFromFile in(input_);
            StdoutToFile out(output_);
            for (;;) {
                ASSERT_LT(entries, 100000u) << "the monitor never reached the end of its input";
                checksThisEntry = 0;
                try {
                    // Paused on every other frame: the CPU runs between entries too.
                    ASSERT_EQ(pm_render(true, entries % 2 == 1, 60), render_offscreen);
                } catch (const StopRequested&) {
                    ++stops;
                }
                checks += static_cast<size_t>(checksThisEntry);
                ++entries;
                const off_t now = out.size();
                if (now == printed) break;  // returned without a prompt: at the end of its input
                printed = now;
            }
            EXPECT_EQ(lseek(STDIN_FILENO, 0, SEEK_CUR), inputSize) << "input left unread";

            // While the input stays at its end, every entry returns at once.
            const double start = secondsNow();
            checksThisEntry = 0;
            for (int i = 0; i < 200; ++i) ASSERT_EQ(pm_render(true, true, 60), render_offscreen);
            EXPECT_LT(secondsNow() - start, 1.0);
            EXPECT_EQ(checksThisEntry, 0) << "the monitor waited or stepped at the end of its input";
            EXPECT_EQ(out.size(), printed) << "the monitor prompted at the end of its input";
        }
        if (expectStops) EXPECT_GT(stops, 0u) << "no long command was spelled: the stop check went untested";

        // Output: the monitor's text, and the board's lines for unknown ports
        // that the stepped instructions read.
        std::ifstream text(output_, std::ios::binary);
        std::string line;
        size_t monitorBytes = 0, prompts = 0;
        while (std::getline(text, line)) {
            if (line.find("I/O read from unknown port 0x") != std::string::npos) continue;
            monitorBytes += line.size() + 1;
            for (size_t at = line.find("[cpu 1]>"); at != std::string::npos; at = line.find("[cpu 1]>", at + 1))
                ++prompts;
        }
        EXPECT_GT(prompts, 0u);
        EXPECT_LE(monitorBytes, prompts * kBytesPerCommand + checks * kBytesPerStep)
            << prompts << " prompts, " << checks << " steps, " << stops << " stops";
        std::printf("%zu entries, %zu prompts, %zu stopped by the check, %zu steps, %zu bytes printed\n",
                    entries, prompts, stops, checks, monitorBytes);
    }

    RomSet set_;
    TempDir work_;
    fs::path input_ = work_.path() / "input";
    fs::path output_ = work_.path() / "output";
};

TEST_F(MonitorOnHostileInput, RandomBytes) {
    std::mt19937_64 random(20240601);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    writeInput(bytes);
    feedTheMonitor(false);
}

// A random command line: any letter (either case, or none the monitor
// knows), and an argument that may be missing, blank, huge, negative,
// malformed, full of control characters or longer than a command line.
std::string randomCommandLine(std::mt19937& random) {
    static const char kLetters[] = "?bcdehijqrstuBCDEHIJQRSTUxz!@ \t";
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string line(1, kLetters[pick(sizeof kLetters - 1)]);
    const uint32_t value = static_cast<uint32_t>(random());
    char number[32];
    switch (pick(12)) {
        case 0: break;
        case 1: line += " "; break;
        case 2: std::snprintf(number, sizeof number, " %X", value); line += number; break;
        case 3: std::snprintf(number, sizeof number, " 0x%x", value & 0xFFFFFE); line += number; break;
        case 4: std::snprintf(number, sizeof number, " %u", value % 40); line += number; break;
        case 5: line += " FFFFFFFFFFFFFFFFFFFF"; break;
        case 6: line += " -1"; break;
        case 7: line += " 0x"; break;
        case 8: line += "\x01\x1b[A\x7f\xff 12"; break;
        case 9: line += std::string(static_cast<size_t>(pick(300)), static_cast<char>('0' + pick(75))); break;
        case 10: line += " zz"; break;
        case 11: line += "\t\t 400"; break;
    }
    if (pick(20) == 0) line = "";
    return line + "\n";
}

TEST_F(MonitorOnHostileInput, RandomCommandLines) {
    std::mt19937 random(7);
    std::string lines;
    for (int i = 0; i < 3000; ++i) lines += randomCommandLine(random);
    // Listings and dumps across the end of every region, and running there.
    for (const char* edge : {"3FFF8", "103FF8", "500000", "500004", "5FFFFC", "6001FA", "701DF9", "FFFFFC"})
        lines += std::string("u ") + edge + "\nd " + edge + "\nj " + edge + "\nt 20\n";
    // Long commands for certain: run to an address never reached, trace a
    // huge count, execute without end; and a last line without its newline.
    lines += "b FFFFFE\nt FFFFFFFF\ne\nT 7fffffff\nu FFFFFFF0\nd FFFFFFF8\nj 103FFF\ne";
    writeInput(lines);
    feedTheMonitor(true);
}

}  // namespace
