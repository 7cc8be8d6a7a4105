#include "hostile_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <algorithm>
#include <stdexcept>

#include "../board/rom_set.h"

extern char** environ;

namespace hostile {

const char* const kRomNames[6] = {"PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"};

TempDir::TempDir() {
    char name[] = "/tmp/bevorel-hostile-XXXXXX";
    if (!mkdtemp(name)) throw std::runtime_error("mkdtemp failed");
    dir_ = name;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Directories a test made unreadable or unsearchable are opened up first.
    for (auto it = fs::recursive_directory_iterator(dir_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(dir_, ignored);
}

ProgramImage::ProgramImage(uint32_t ssp, uint32_t pc) : bytes_(kProgramSize, 0xFF) {
    longWord(0, ssp);
    longWord(4, pc);
}

ProgramImage& ProgramImage::words(uint32_t address, std::initializer_list<uint16_t> list) {
    for (uint16_t w : list) {
        bytes_.at(address) = static_cast<uint8_t>(w >> 8);
        bytes_.at(address + 1) = static_cast<uint8_t>(w);
        address += 2;
    }
    return *this;
}

ProgramImage& ProgramImage::longWord(uint32_t address, uint32_t value) {
    return words(address, {static_cast<uint16_t>(value >> 16), static_cast<uint16_t>(value)});
}

ProgramImage& ProgramImage::fill(uint32_t from, uint32_t to, uint16_t word) {
    for (uint32_t a = from; a < to; a += 2) words(a, {word});
    return *this;
}

uint16_t ProgramImage::word(uint32_t address) const {
    return static_cast<uint16_t>(bytes_.at(address) << 8 | bytes_.at(address + 1));
}

RomSet::RomSet() { fs::create_directory(dir_.path() / "Roms"); }

void RomSet::write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::error_code ignored;
    fs::remove(file(name), ignored);  // whatever a test left there: a FIFO, a link, a directory
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file(name).string());
}

void RomSet::writeProgram(const ProgramImage& program) const {
    std::vector<uint8_t> even(kRomFileSize), odd(kRomFileSize);
    for (size_t i = 0; i < kRomFileSize; ++i) {
        even[i] = program.bytes()[2 * i];
        odd[i] = program.bytes()[2 * i + 1];
    }
    write("PELLMORA.3A", even);
    write("PELLMORA.2A", odd);
}

void RomSet::writeGraphics() const {
    for (int n = 0; n < 4; ++n) {
        std::vector<uint8_t> bytes(kRomFileSize);
        for (size_t i = 0; i < kRomFileSize; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + n);
        write("CH" + std::to_string(n), bytes);
    }
}

void RomSet::writeComplete(const ProgramImage& program) const {
    writeProgram(program);
    writeGraphics();
}

std::string banner(const std::string& dir) { return board_test::banner(dir); }

// ---- Watchdog: SIGALRM, so that no thread is started for it ----

namespace {
char watchdogMessage[512];
size_t watchdogLength = 0;

extern "C" void onWatchdog(int) {
    ssize_t ignored = write(STDERR_FILENO, watchdogMessage, watchdogLength);
    (void)ignored;
    _exit(124);
}
}  // namespace

struct Watchdog::State {
    struct sigaction previous;
};

Watchdog::Watchdog(int seconds, std::string what) : state_(new State) {
    const std::string text = "\nHANG: " + what + " did not end within " + std::to_string(seconds) + " s\n";
    watchdogLength = std::min(text.size(), sizeof watchdogMessage);
    std::memcpy(watchdogMessage, text.data(), watchdogLength);
    struct sigaction action = {};
    action.sa_handler = onWatchdog;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, &state_->previous);
    alarm(static_cast<unsigned>(seconds));
}

Watchdog::~Watchdog() {
    alarm(0);
    sigaction(SIGALRM, &state_->previous, nullptr);
    delete state_;
}

fs::path makeDeepDirectory(const fs::path& base, size_t length) {
    std::string path = base.string();
    if (length < path.size() + 2) throw std::invalid_argument("makeDeepDirectory: too short");
    char letter = 'a';
    while (path.size() < length) {
        size_t name = std::min<size_t>(200, length - path.size() - 1);
        // Never leave a single character to fill: it could not hold "/x".
        if (length - path.size() - 1 - name == 1) --name;
        path += "/" + std::string(name, letter);
        letter = letter == 'z' ? 'a' : static_cast<char>(letter + 1);
        if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::runtime_error("mkdir " + path + ": " + std::strerror(errno));
    }
    return path;
}

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ---- Child processes ----

ChildRun runChild(const std::vector<std::string>& argv, const fs::path& workDir,
                  const std::vector<std::string>& environment, int seconds) {
    ChildRun run;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe2");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());

    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool changed = std::any_of(environment.begin(), environment.end(),
                                         [&](const std::string& c) { return nameOf(c) == nameOf(entry); });
        if (!changed) envText.push_back(entry);
    }
    for (const auto& change : environment)
        if (change.find('=') != std::string::npos) envText.push_back(change);
    std::vector<char*> env;
    for (auto& e : envText) env.push_back(e.data());
    env.push_back(nullptr);

    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv.at(0).c_str(), &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        run.err = std::string("posix_spawn: ") + std::strerror(spawned);
        return run;
    }

    const double deadline = secondsNow() + seconds;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        const double left = deadline - secondsNow();
        if (left <= 0) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        const int ready = poll(fds, 2, static_cast<int>(left * 1000) + 1);
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) close(f.fd);

    // A child that closed its output may still run: it too gets until the deadline.
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) break;
        if (done == 0 && secondsNow() > deadline) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(2000);
    }
    if (WIFEXITED(status) && !run.timedOut) {
        run.exited = true;
        run.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    return run;
}

std::string describe(const ChildRun& run) {
    std::string what = run.timedOut ? "timed out" : run.exited ? "exit status " + std::to_string(run.status)
                                                               : "signal " + std::to_string(run.signal);
    auto tail = [](const std::string& s) { return s.size() > 3000 ? "..." + s.substr(s.size() - 3000) : s; };
    return what + "\n--- stdout ---\n" + tail(run.out) + "\n--- stderr ---\n" + tail(run.err);
}

}  // namespace hostile
