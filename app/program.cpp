// The program: options, then the application's event loop, over the
// machine it is given.
#include "program.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "bevorel_app.h"
#include "bevorel_window.h"
#include "build_info.h"
#include "gdb_link.h"
#include "launch_options.h"
#include "paths.h"
#include "presentation.h"
#include "profile_link.h"
#include "restart.h"
#include "rom_set_link.h"
#include "screenshot.h"
#include "script_link.h"
#include "settings.h"
#include "workbench_link.h"

int runProgram(int argc, char** argv, Machine& machine) {
    // The console is the program's report: into a file or a pipe it goes out
    // line by line as it happens, not when a buffer fills or the program ends.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // Past a file size limit (ulimit -f) a write fails with EFBIG, as on a
    // full disk, and is reported as not saved; the signal would end the
    // program there, and whatever was still to be written (a movie) with it.
    std::signal(SIGXFSZ, SIG_IGN);
    // Blocked as well, for every thread spawned from here: a runtime that
    // takes signals over (ThreadSanitizer's) must not end the program there.
    sigset_t fileSize;
    sigemptyset(&fileSize);
    sigaddset(&fileSize, SIGXFSZ);
    pthread_sigmask(SIG_BLOCK, &fileSize, nullptr);
    const char* program = argc > 0 && argv[0] ? argv[0] : "bevorel";
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string error;
    LaunchOptions options;
    switch (parseLaunchOptions(args, options, error)) {
        case ParseResult::Help:
            std::fputs(usageText(program).c_str(), stdout);
            return 0;
        case ParseResult::Version:
            std::printf("bevorel %s (commit %s, %s build)\n", BEVOREL_VERSION, BEVOREL_COMMIT, BEVOREL_BUILD_TYPE);
            return 0;
        case ParseResult::Error:
            std::fprintf(stderr, "%s: %s\n%s --help lists the options.\n", program, error.c_str(), program);
            return 2;
        case ParseResult::Run:
            break;
    }

    // The scripts' engine first: it takes the stops of its own callbacks only.
    ShellScriptHost scriptHost(machine);
    scripting::Engine scripts(machine, scriptHost, {options.scriptTimeout, runsHeadless()});
    attachScripts(machine, scripts);  // the board's keys: the window's keyboard and the scripts' inputs
    if (options.gdbPort >= 0 && !startGdbLink(machine, options.gdbPort, error)) {
        std::fprintf(stderr, "%s: --gdb: %s\n", program, error.c_str());
        detachScripts(machine, scripts);
        return 1;
    }
    workbench::Controller workbenchController(machine);
    attachWorkbench(machine, workbenchController);
    loadWorkbenchSymbols(workbenchController, options.symbols);
    scripts.setSymbols(workbenchController.symbols());
    workbenchController.setScriptConsole(&scripts);
    for (const std::string& file : options.scripts) scripts.runFile(file);
    startProfile(machine, options.profile, options.symbols);
    // What a run killed in the middle of a save left behind.
    removeStaleStateTemporaries();
    removeStaleSettingsTemporaries();
    ScriptedMachine scriptedMachine(machine, scripts);  // resets reach the scripts
    BeVorelApp* app = new BeVorelApp(scriptedMachine, options);
    app->UseRomSet(chooseRomSet(program, options.romSet));
    app->UseWorkbench(&workbenchController);
    const bool ran = app->Run() == B_OK;
    stopGdbLink(machine);  // the emulation thread has been stopped by the quit
    const BeVorelWindow* window = app->fMainWindow;

    // A boot asked for that could not happen (no ROM set), a state it could
    // not load, a movie refused or played differently, is a failure too.
    const bool stateRefused = window && (window->StartupStateRefused() || window->MovieFailed());
    int status = ran && !(options.boot && !machine.ready()) && !stateRefused ? 0 : 1;
    if (!finishProfile(program)) status = 1;
    if (ran && !options.screenshot.empty() && window && window->MovieRefused()) {
        // The run did not do what it was asked: its last frame shows nothing asked for.
        std::fprintf(stderr, "%s: no screenshot written: the movie was refused\n", program);
    } else if (ran && !options.screenshot.empty()) {
        DrawnPicture picture;
        if (mView) mView->CopyDrawnPicture(picture);
        if (!writePicturePng(picture, options.screenshot, error)) {
            std::fprintf(stderr, "%s: no screenshot written: %s\n", program, error.c_str());
            status = 1;
        }
    }
    // A ROM set dropped on the window, for which the user chose to restart.
    const std::string restartRomSet = window ? window->RestartRomSet() : "";
    delete app;
    detachScripts(machine, scripts);
    if (scriptHost.exitStatus() >= 0) status = scriptHost.exitStatus();
    if (!restartRomSet.empty()) {
        restartProgram(program, argumentsWithRomSet(args, options, restartRomSet));
        return 1;
    }
    return status;
}
