#include "script_link.h"

#include <cstdlib>
#include <cstring>

#include "bevorel_app.h"
#include "bevorel_window.h"
#include "key_state.h"
#include "menus.h"
#include "run_control_link.h"
#include "screenshot.h"

namespace {

scripting::Engine* keysEngine = nullptr;  // whose held inputs the frames read

void scriptedKeys(uint8_t keys[16]) {
    read_key_states(keys);
    if (keysEngine) keysEngine->addHeldKeys(keys);
}

void post(BMessage& message) {
    auto* app = static_cast<BeVorelApp*>(be_app);
    if (app && app->fMainWindow) app->fMainWindow->PostMessage(&message);
}

void post(uint32_t what) {
    BMessage message(what);
    post(message);
}

}  // namespace

bool ShellScriptHost::paused() const { return wpaused.load(std::memory_order_relaxed) != 0; }

void ShellScriptHost::setPaused(bool paused) {
    BMessage pause(kCmdPause);
    pause.AddInt32("on", paused ? 1 : 0);
    post(pause);
}

void ShellScriptHost::exit(int status) {
    fExitStatus.store(status, std::memory_order_relaxed);
    post(B_QUIT_REQUESTED);
}

void ShellScriptHost::reset() { post(kCmdReset); }

void ShellScriptHost::state(bool save, int slot, const std::string& path) {
    BMessage message((save ? kCmdSaveStateBase : kCmdLoadStateBase) + slot);
    if (!path.empty()) message.AddString("path", path.c_str());
    post(message);
}

bool ShellScriptHost::screenshot(const std::string& path, std::string& error) {
    DrawnPicture picture;
    picture.width = kScreenWidth;
    picture.height = kScreenHeight;
    picture.bytesPerRow = kScreenWidth * 2;
    picture.pixels.resize(static_cast<size_t>(picture.bytesPerRow) * kScreenHeight);
    std::memcpy(picture.pixels.data(), fMachine.picture(), picture.pixels.size());
    picture.serial = 1;
    return writePicturePng(picture, path, error);
}

void ScriptedMachine::reset() {
    MachineWrapper::reset();
    fEngine.noteReset();
}

void attachScripts(Machine& machine, scripting::Engine& engine) {
    attachRunClient(machine, engine);
    keysEngine = &engine;
    machine.setKeySource(scriptedKeys);
}

void detachScripts(Machine& machine, scripting::Engine& engine) {
    machine.setKeySource(read_key_states);
    keysEngine = nullptr;
    detachRunClient(machine, engine);
}

bool runsHeadless() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && std::strcmp(driver, "dummy") == 0;
}
