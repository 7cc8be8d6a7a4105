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

std::string movieDirectory() {
    const std::string base = xdgDataHome();
    return base.empty() ? "" : base + "/bevorel/movies";
}

}  // namespace

std::string BeVorelWindow::menuMoviePath() const {
    if (movieDirectory().empty()) return "";
    char name[40];
    std::snprintf(name, sizeof name, "/%016" PRIx64 ".bvmovie", fRomSetHash);
    return movieDirectory() + name;
}

void BeVorelWindow::startMovie(const BMessage& message) {
    const char* path = nullptr;
    if (message.HasField("slot")) {
        bootWithState(message);
        if (fStartupStateRefused.load()) return;
    } else {
        loadRom("po");
    }
    const bool record = message.FindString("record", &path) == B_OK;
    if (record ? recordMovie(path, message.HasField("slot"))
               : message.FindString("play", &path) == B_OK && playMovie(path))
        return;
    fMovieRefused.store(true, std::memory_order_relaxed);
    // A headless regression run ends here rather than run without its movie.
    if (fEmulation.frameLimit.load(std::memory_order_relaxed)) PostMessage(B_QUIT_REQUESTED);
}

void BeVorelWindow::recordFromMenu(bool fromHere) {
    std::string error;
    if (gameBooted() && !movieDirectory().empty() && !makeDirectories(movieDirectory(), error))
        refuse("Cannot record a movie: " + error + ".");
    else
        recordMovie(menuMoviePath(), fromHere);
}

void BeVorelWindow::stopMenuMovie() {
    if (fEmulation.movieMode.load() == MovieMode::None) return;
    kill_thread(fCpuThread);
    stopMovie();
    restartEmulation();
}

bool BeVorelWindow::recordMovie(const std::string& path, bool fromHere) {
    if (!gameBooted()) return refuse("Cannot record a movie: no game is booted.");
    if (path.empty())
        return refuse("Cannot record a movie: there is no home directory (HOME) or XDG_DATA_HOME for it.");
    // The file is opened first: a path that cannot be written changes nothing.
    MovieFile file;
    std::string error;
    if (!file.open(path, error)) return refuse("Cannot record a movie: " + error + ".");
    kill_thread(fCpuThread);
    stopMovie();
    if (fromHere) {
        fEmulation.recorder.beginHere(fEmulation.machine);
    } else {
        fEmulation.recorder.beginAtPowerOn(fEmulation.machine, fEmulation.machine.serviceMode());
        startupClear();
        fEmulation.resumeChosenSpeed();  // power-on chose 60 fps; the menu's speed holds
    }
    fEmulation.history.clear();
    fEmulation.movieFile = std::move(file);
    const bool started = fEmulation.movieFile.write(fEmulation.recorder);
    if (started) {
        fEmulation.movieMode.store(MovieMode::Recording);
        fMoviePath = path;
        std::printf("Recording a movie from %s to %s\n", fromHere ? "here" : "power-on", path.c_str());
    } else {
        fEmulation.movieNotSaved.store(true, std::memory_order_relaxed);
        std::printf("%s.\n", fEmulation.movieFile.notSaved().c_str());
    }
    std::fflush(stdout);
    restartEmulation();
    return started;
}

bool BeVorelWindow::playMovie(const std::string& path) {
    if (!gameBooted()) return refuse("Cannot play a movie: no game is booted.");
    if (path.empty()) return refuse("Cannot play a movie: there is no home directory (HOME) or XDG_DATA_HOME for it.");
    if (fEmulation.movieMode.load() == MovieMode::Recording) {  // written whole before it is read
        kill_thread(fCpuThread);
        stopMovie();
        restartEmulation();
    }
    const std::string refused = "Cannot play the movie " + path + ": ";
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
    std::printf("Playing the movie %s (%u frames%s)\n", path.c_str(), fEmulation.player->frames(),
                fEmulation.player->cutShort() ? ", up to where its recording was cut short" : "");
    std::fflush(stdout);
    restartEmulation();
    return true;
}

void BeVorelWindow::stopMovie() {
    const MovieMode mode = fEmulation.movieMode.exchange(MovieMode::None);
    if (mode == MovieMode::Playing) {
        fEmulation.resumeChosenSpeed();
        std::printf("Movie stopped at frame %u of %u.\n", fEmulation.player->framesPlayed(),
                    fEmulation.player->frames());
    }
    if (mode == MovieMode::Recording) {
        bool saved = false;
        std::printf("%s\n", finishRecording(fEmulation.movieFile, fEmulation.recorder, saved).c_str());
        if (!saved) fEmulation.movieNotSaved.store(true, std::memory_order_relaxed);
    }
    std::fflush(stdout);
    fMoviePath.clear();
}
