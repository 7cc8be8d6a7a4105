// The window's movie commands: recording the game's inputs to a file from
// power-on or from where it stands, playing a file back, stopping.
#include <cinttypes>
#include <cstdio>

#include "atomic_file.h"
#include "bevorel_window.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"
#include "xdg_dirs.h"

namespace {

using MovieMode = EmulationControl::MovieMode;

}  // namespace

std::string BeVorelWindow::menuMoviePath() const {
    const std::string base = xdgDataHome();
    if (base.empty()) return "";
    char name[40];
    std::snprintf(name, sizeof name, "/%016" PRIx64 ".bvmovie", fRomSetHash);
    return base + "/bevorel/movies" + name;
}

bool BeVorelWindow::movieMessage(const BMessage& message) {
    const char* path = nullptr;
    switch (message.what) {
        case kMsgStartMovie:
            if (message.HasField("slot")) {
                bootWithState(message);
                if (fStartupStateRefused.load()) return true;
            } else {
                loadRom("po");
            }
            if (message.FindString("record", &path) == B_OK) {
                recordMovie(path, message.HasField("slot"));
            } else if (message.FindString("play", &path) == B_OK && !playMovie(path)) {
                fMovieFailed.store(true, std::memory_order_relaxed);
                // A headless regression run ends here rather than run without its movie.
                if (fEmulation.frameLimit.load(std::memory_order_relaxed)) PostMessage(B_QUIT_REQUESTED);
            }
            return true;
        case kCmdRecordFromPowerOn:
        case kCmdRecordFromHere:
            if (menuMoviePath().empty()) return true;
            recordMovie(menuMoviePath(), message.what == kCmdRecordFromHere);
            return true;
        case kCmdPlayMovie:
            if (!menuMoviePath().empty()) playMovie(menuMoviePath());
            return true;
        case kCmdStopMovie:
            if (fEmulation.movieMode.load() != MovieMode::None) {
                kill_thread(fCpuThread);
                stopMovie();
                restartEmulation();
            }
            return true;
        case kMsgMovieEnded:
            fMoviePath.clear();
            return true;
        default:
            return false;
    }
}

void BeVorelWindow::recordMovie(const std::string& path, bool fromHere) {
    if (!gameBooted()) {
        refuse("Cannot record a movie: no game is booted.");
        return;
    }
    kill_thread(fCpuThread);
    stopMovie();
    if (fromHere) {
        fEmulation.recorder.beginHere(fEmulation.machine);
    } else {
        fEmulation.recorder.beginAtPowerOn(fEmulation.machine, fEmulation.machine.serviceMode());
        startupClear();
        fEmulation.machine.setSpeed(currentSpeed());  // power-on chose 60 fps; the menu's speed holds
    }
    fEmulation.history.clear();
    fEmulation.movieMode.store(MovieMode::Recording);
    fMoviePath = path;
    std::printf("Recording a movie from %s to %s\n", fromHere ? "here" : "power-on", path.c_str());
    std::fflush(stdout);
    restartEmulation();
}

bool BeVorelWindow::playMovie(const std::string& path) {
    const std::string refused = "Cannot play the movie " + path + ": ";
    if (!gameBooted()) return refuse(refused + "no game is booted.");
    std::vector<uint8_t> bytes;
    std::string error;
    switch (readWholeFile(path, kLargestMovie, bytes, error)) {
        case ReadStatus::Missing:
            return refuse(refused + "there is no such file.");
        case ReadStatus::Failed:
            return refuse(refused + error + ".");
        case ReadStatus::Read:
            break;
    }
    auto movie = std::make_unique<Movie>();
    if (!decodeMovie(bytes.data(), bytes.size(), fRomSetHash, *movie, error)) return refuse(refused + error + ".");
    const bool fromPowerOn = !movie->fromState;
    kill_thread(fCpuThread);
    stopMovie();
    fEmulation.player = std::make_unique<MoviePlayer>(std::move(*movie));
    fEmulation.player->begin(fEmulation.machine);
    if (fromPowerOn) startupClear();
    fEmulation.history.clear();
    fEmulation.movieMode.store(MovieMode::Playing);
    fMoviePath = path;
    std::printf("Playing the movie %s (%u frames)\n", path.c_str(), fEmulation.player->frames());
    std::fflush(stdout);
    restartEmulation();
    return true;
}

void BeVorelWindow::stopMovie() {
    const MovieMode mode = fEmulation.movieMode.exchange(MovieMode::None);
    if (mode == MovieMode::Playing) {
        fEmulation.machine.setSpeed(currentSpeed());
        std::printf("Movie stopped at frame %u of %u.\n", fEmulation.player->framesPlayed(),
                    fEmulation.player->frames());
    }
    if (mode == MovieMode::Recording) {
        const std::vector<uint8_t> file = encodeMovie(fEmulation.recorder.movie());
        std::string error;
        if (writeFileAtomically(fMoviePath, file.data(), file.size(), error, 0644))
            std::printf("Movie recorded: %zu frames in %s\n", fEmulation.recorder.movie().inputs.size(),
                        fMoviePath.c_str());
        else
            std::printf("Movie not written: %s.\n", error.c_str());
    }
    std::fflush(stdout);
    fMoviePath.clear();
}
