#include "hostile_support.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

namespace hostile {

TempDir::TempDir() {
    char name[] = "/tmp/bevorel-hostile-XXXXXX";
    if (!mkdtemp(name)) throw std::runtime_error("mkdtemp failed");
    dir_ = name;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

ProgramImage::ProgramImage(uint32_t ssp, uint32_t pc) : bytes(kProgramSize, 0xFF) { longWord(0, ssp).longWord(4, pc); }

ProgramImage& ProgramImage::words(uint32_t address, std::initializer_list<uint16_t> list) {
    for (const uint16_t w : list) bytes.at(address++) = static_cast<uint8_t>(w >> 8), bytes.at(address++) = w & 0xFF;
    return *this;
}

ProgramImage& ProgramImage::longWord(uint32_t address, uint32_t value) {
    return words(address, {static_cast<uint16_t>(value >> 16), static_cast<uint16_t>(value)});
}

RomSet::RomSet() { fs::create_directory(path() / "Roms"); }

void RomSet::write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::error_code ignored;
    fs::remove(file(name), ignored);  // whatever a test left there: a FIFO, a link, a directory
    std::ofstream(file(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
}

void RomSet::writeComplete(const ProgramImage& program) const {
    std::vector<uint8_t> even(kRomFileSize), odd(kRomFileSize);
    for (size_t i = 0; i < kRomFileSize; ++i) even[i] = program.bytes[2 * i], odd[i] = program.bytes[2 * i + 1];
    write("PELLMORA.3A", even);
    write("PELLMORA.2A", odd);
    for (int n = 0; n < 4; ++n) {
        for (size_t i = 0; i < kRomFileSize; ++i) even[i] = static_cast<uint8_t>(i * 13 + n);
        write("CH" + std::to_string(n), even);
    }
}

namespace {
char watchdogMessage[512];
size_t watchdogLength = 0;
extern "C" void onWatchdog(int) {
    if (write(STDERR_FILENO, watchdogMessage, watchdogLength) < 0) _exit(125);
    _exit(124);
}
}  // namespace

Watchdog::Watchdog(int seconds, const std::string& what) {
    const std::string text = "\nHANG: " + what + " did not end within " + std::to_string(seconds) + " s\n";
    watchdogLength = text.copy(watchdogMessage, sizeof watchdogMessage);
    signal(SIGALRM, onWatchdog);
    alarm(static_cast<unsigned>(seconds));
}

Watchdog::~Watchdog() { alarm(0); }

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace hostile
