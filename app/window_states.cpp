// The window's save-state commands: slots saved and loaded between frames,
// with no emulation thread running board code meanwhile, as Reset does.
#include <cstdio>
#include <memory>

#include "atomic_file.h"
#include "bevorel_window.h"
#include "emulation.h"
#include "menus.h"
#include "paths.h"
#include "save_state.h"
#include "state_containers.h"
#include "state_slots.h"

namespace {

// A state file is 25 KiB; anything past this is refused unread.
constexpr size_t kLargestStateFile = 1 << 20;

std::string slotName(int slot) { return "slot " + std::to_string(slot); }

// A slot file's name, as slotPath makes it: 0123456789abcdef-slot3.state.
bool isSlotFileName(const std::string& name) {
    return name.size() == 28 && name.find_first_not_of("0123456789abcdef") == 16 && name.compare(16, 5, "-slot") == 0 &&
           name[21] >= '0' && name[21] < '0' + kStateSlots && name.compare(22, 6, ".state") == 0;
}

}  // namespace

void removeStaleStateTemporaries() {
    const std::string dir = stateDirectory();
    if (!dir.empty()) removeStaleTemporaries(dir, isSlotFileName);
}

void BeVorelWindow::loadState(char slot) { restoreSlot(static_cast<unsigned char>(slot)); }

void BeVorelWindow::saveState(char slot) { storeSlot(static_cast<unsigned char>(slot)); }

bool BeVorelWindow::refuse(const std::string& line, const std::string& notice) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!notice.empty()) notify(notice);
    (new BAlert("BePellmora", line.c_str(), "Ok", nullptr, nullptr, B_WIDTH_AS_USUAL, B_WARNING_ALERT))->Go(nullptr);
    return false;
}

bool BeVorelWindow::emulationRunning() const {
    thread_info info;
    return get_thread_info(fCpuThread, &info) == B_OK && info.state != B_THREAD_SUSPENDED;
}

void BeVorelWindow::restartEmulation() {
    if (fEmulation.frameUnderWay.exchange(false)) fEmulation.history.clear();  // killed inside a frame
    spawnEmulation(true);
}

void BeVorelWindow::spawnEmulation(bool run) {
    fCpuThread = spawn_thread(cpuThread, "cpuThread", B_NORMAL_PRIORITY, this);
    if (run && fCpuThread >= 0) resume_thread(fCpuThread);
}

void BeVorelWindow::markStateSlots() {
    for (int slot = 0; slot < kStateSlots; ++slot) {
        const bool held = fRomSetHash != 0 && slotHoldsState(fRomSetHash, slot);
        tmpMenu->ItemAt(slot)->SetMarked(held);
        tmpMenu2->ItemAt(slot)->SetMarked(held);
    }
}

bool BeVorelWindow::slotCommand(int slot, bool save, SlotCommand& command, const std::string& file) {
    if (slot >= kStateSlots) return false;
    command.refused = (save ? "Cannot save " : "Cannot load ") + (file.empty() ? slotName(slot) : file) + ": ";
    command.notDone = file.empty() ? "Slot " + std::to_string(slot) + (save ? " not saved" : " not loaded")
                                   : std::string(save ? "State not saved" : "State not loaded");
    if (!gameBooted()) return refuse(command.refused + "no game is booted.", "No game booted");
    command.path = file.empty() ? slotPath(fRomSetHash, slot) : file;
    if (command.path.empty())
        return refuse(command.refused + "there is no home directory (HOME) or XDG_DATA_HOME for the states.",
                      command.notDone);
    return true;
}

bool BeVorelWindow::storeSlot(int slot, const std::string& file) {
    SlotCommand command;
    if (!slotCommand(slot, true, command, file)) return false;
    const auto& [path, refused, notSaved] = command;

    // The board is captured with no emulation thread running; the file is
    // written once the game runs again.
    auto state = std::make_unique<BoardState>();
    const bool running = emulationRunning();
    if (running) kill_thread(fCpuThread);
    fEmulation.machine.capture(*state);
    if (running) restartEmulation();

    const std::vector<uint8_t> image = encodeState(*state, fRomSetHash);
    std::string error;
    if (!writeFileAtomically(path, image.data(), image.size(), error))
        return refuse(refused + error + "; the slot keeps what it held.", notSaved);
    std::printf("State saved in %s: %s\n", file.empty() ? slotName(slot).c_str() : "a file", path.c_str());
    std::fflush(stdout);
    notify("Saved " + (file.empty() ? slotName(slot) : "the state"));
    markStateSlots();
    return true;
}

bool BeVorelWindow::restoreSlot(int slot, const std::string& file) {
    SlotCommand command;
    if (!slotCommand(slot, false, command, file)) return false;
    const auto& [path, refused, notLoaded] = command;

    // Everything is read and checked while the game runs on: a refusal
    // leaves it untouched.
    std::vector<uint8_t> image;
    std::string error;
    switch (readWholeFile(path, kLargestStateFile, image, error)) {
        case ReadStatus::Missing:
            // An empty slot is no error: the line and the title say so, with no alert.
            markStateSlots();
            std::printf("%sno state was saved there for this ROM set (%s).\n", refused.c_str(), path.c_str());
            std::fflush(stdout);
            notify("Slot " + std::to_string(slot) + " is empty");
            return false;
        case ReadStatus::Failed:
            return refuse(refused + error + ".", notLoaded);
        case ReadStatus::Read:
            break;
    }
    // A state RetroArch saved with the libretro core holds the same image.
    std::vector<uint8_t> inner;
    auto state = std::make_unique<BoardState>();
    if (!stateImageOf(image.data(), image.size(), inner, error) ||
        !decodeState(inner.data(), inner.size(), fRomSetHash, *state, error))
        return refuse(refused + path + " " + error + ".", notLoaded);

    // The pause flag is not part of a state: a paused game stays paused,
    // showing the restored picture.
    kill_thread(fCpuThread);
    stopMovie();
    fEmulation.machine.restore(*state);
    fEmulation.history.clear();  // a new history begins at the loaded state
    fEmulation.applySpeed(state->speed);
    restartEmulation();
    std::printf("State loaded from %s: %s\n", file.empty() ? slotName(slot).c_str() : "a file", path.c_str());
    std::fflush(stdout);
    notify("Loaded " + (file.empty() ? slotName(slot) : "the state"));
    return true;
}

void BeVorelWindow::bootWithState(const BMessage& message) {
    int32 slot = -1;
    message.FindInt32("slot", &slot);
    loadRom("po");
    if (slot < 0 || slot >= kStateSlots || !restoreSlot(slot)) {
        fStartupStateRefused.store(true, std::memory_order_relaxed);
        // Headless runs stop here rather than run a game from the wrong state.
        if (fEmulation.frameLimit.load(std::memory_order_relaxed)) PostMessage(B_QUIT_REQUESTED);
    }
}
