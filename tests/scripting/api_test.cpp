// The API's functions called from the prompt on the running demo: every
// wrong argument (type, range, address, length, name, a missing callback)
// gives an error naming the function, and never a crash; the rows that are
// right show what the call did, to the machine or to the host.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "board_session.h"
#include "engine.h"
#include "run_control.h"

namespace {

struct RecordingHost final : scripting::ScriptHost {
    bool paused() const override { return false; }
    void setPaused(bool on) override { calls += on ? "pause " : "resume "; }
    void exit(int status) override { calls += "exit " + std::to_string(status) + " "; }
    void reset() override { calls += "reset "; }
    void state(bool save, int slot, const std::string& path) override {
        calls += (save ? "save " : "load ") + (path.empty() ? std::to_string(slot) : path) + " ";
    }
    bool screenshot(const std::string& path, std::string& error) override {
        calls += "screenshot " + path + " ";
        error = "not here";
        return false;
    }
    std::string calls;
};

RunControl* control = nullptr;
void frameBoundary() { control->frameBoundary(); }
uint32_t runSlice(int32_t cycles) { return control->runSlice(cycles); }

class ScriptApiTest : public e2e::DemoSession {};

TEST_F(ScriptApiTest, WrongArgumentsAreErrorsAndRightOnesAct) {
    RecordingHost host;
    scripting::Engine engine(e2e::board(), host, {.timeLimit = 0.05});
    std::ifstream file(DEMO_ELF, std::ios::binary);
    const std::vector<uint8_t> elf{std::istreambuf_iterator<char>(file), {}};
    auto symbols = std::make_shared<workbench::Symbols>();
    std::string error;
    ASSERT_TRUE(symbols->read(elf, error)) << error;
    engine.setSymbols(symbols);
    RunControl runControl;
    runControl.attach(engine);
    control = &runControl;
    e2e::board().setDebugger(frameBoundary, runSlice);
    for (int i = 0; i < 10; ++i) e2e::runFrame();

    const struct {
        const char* code;
        const char* shown;  // a part of the output
        const char* host = "";
    } rows[] = {
        {"emu.read8()", "prompt:1: emu.read8: argument 1 (address) must be a whole number, not missing"},
        {"emu.read8('x')", "emu.read8: argument 1 (address) must be a whole number, not string"},
        {"emu.read16(1.5)", "emu.read16: argument 1 (address) must be a whole number, not number"},
        {"emu.read8(-1)", "emu.read8: argument 1 (address) is -1, outside the 68000's addresses"},
        {"emu.read32(0x1000000)", "emu.read32: argument 1 (address) is 16777216, outside"},
        {"emu.read16(0x100001)", "emu.read16: 0x100001 is odd"},
        {"emu.read8(0x500000)", "emu.read8: 0x500000 is not ROM or RAM"},
        {"emu.read32(0xFFFFFE)", "emu.read32: 0xFFFFFE: a long word there runs past 0xFFFFFF"},
        {"emu.readRange(0x100000, -1)", "emu.readRange: argument 2 (length) is -1, outside 0 to 15728640"},
        {"emu.readRange(0xFFFFFF, 2)", "argument 2 (length) is 2, outside 0 to 1"},
        {"emu.readRange(0x103FFF, 2)", "emu.readRange: 0x104000 is not ROM or RAM"},
        {"emu.write8(0x000100, 1)", "emu.write8: 0x000100 is not RAM"},
        {"emu.write16(0x600000, 1)", "emu.write16: 0x600000 is not RAM"},
        {"emu.write8(0x100000, 256)", "emu.write8: argument 2 (value) is 256, outside -128 to 255"},
        {"emu.write32(0x103FFE, 0)", "emu.write32: 0x104000 is not RAM"},
        {"emu.write16(0x100000, '1')", "emu.write16: argument 2 (value) must be a whole number, not string"},
        {"emu.reg('d8')", "emu.reg: no register 'd8'"},
        {"emu.reg(1)", "emu.reg: argument 1 (register) must be a string, not number"},
        {"emu.setReg('sr', 0x10000)", "emu.setReg: argument 2 (value) is 65536, outside 0 to 65535"},
        {"emu.setReg('pc', 0x1000000)", "emu.setReg: argument 2 (value) is 16777216, outside 0 to 16777215"},
        {"emu.exit(256)", "emu.exit: argument 1 (status) is 256, outside 0 to 255"},
        {"emu.saveState(8)", "emu.saveState: argument 1 (slot) is 8, outside 0 to 7"},
        {"emu.saveState({})", "emu.saveState: argument 1 (slot or path) must be a slot number or a path, not table"},
        {"emu.loadState('')", "emu.loadState: argument 1 (slot or path) is an empty path"},
        {"emu.screenshot()", "emu.screenshot: argument 1 (path) must be a string, not missing"},
        {"emu.screenshot('a.png')", "emu.screenshot: no screenshot written: not here", "screenshot a.png "},
        {"emu.symbol(nil)", "emu.symbol: argument 1 (name) must be a string, not nil"},
        {"emu.symbolAt('ship')", "emu.symbolAt: argument 1 (address) must be a whole number, not string"},
        {"input.set{jump = true}", "input.set: no input 'jump'"},
        {"input.set('right')", "input.set: argument 1 (inputs) must be a table, not string"},
        {"input.set{true}", "input.set: the inputs' names are strings, not number"},
        {"callbacks.add('frame', nil)", "callbacks.add: argument 2 (callback) must be a function, not nil"},
        {"callbacks.add('exec', 0x100)", "callbacks.add: argument 3 (callback) must be a function, not missing"},
        {"callbacks.add('write', 0x100000, 0, print)", "callbacks.add: argument 3 (length) is 0, outside 1 to"},
        {"callbacks.add('read', 0x1000000, print)", "callbacks.add: argument 2 (address) is 16777216, outside"},
        {"callbacks.add('draw', print)", "callbacks.add: no callback kind 'draw'"},
        {"callbacks.remove('x')", "callbacks.remove: argument 1 (id) must be a whole number, not string"},
        {"console.log(setmetatable({}, {__tostring = function() error('no name') end}))", "prompt:1: no name"},
        {"while true do end", "prompt:1: prompt ran longer than 0.05 s: stopped"},
        // The right calls.
        {"emu.readRange(0x100000, 4)", "DEMO"},
        {"emu.read32(0x100000) == 0x44454D4F", "true"},
        {"emu.write16(0x103FF0, 0x1234) emu.write8(0x103FF1, -1) return emu.read16(0x103FF0)", "4863"},
        {"emu.setReg('d0', -1) return emu.reg('d0')", "4294967295"},
        {"emu.reg('ssp') == emu.reg('a7') and emu.reg('sr') >= 0x2000", "true"},
        {"emu.symbolAt(emu.symbol('ship') + 2)", "ship+2"},
        {"emu.symbol('no such name')", "nil"},
        {"emu.frame() > 10 and emu.cycles() > 0", "true"},
        {"hits = 0 id = callbacks.add('exec', emu.symbol('scene_frame'), function() hits = hits + 1 end)", ""},
        {"hits, callbacks.remove(id), callbacks.remove(id)", "1\ttrue\tfalse"},
        {"reads = 0 callbacks.add('read', 0x100010, 4, function() reads = reads + 1 end)", ""},
        {"reads > 0", "true"},
        {"emu.pause() emu.resume() emu.reset() emu.saveState(3) emu.loadState('s.state')", "",
         "pause resume reset save 3 load s.state "},
        {"emu.exit(7)", "", "exit 7 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        size_t from = 0, total = 0;
        engine.output(0, from);
        host.calls.clear();
        engine.evaluate(row.code);
        e2e::runFrame();
        std::string shown;
        for (const std::string& line : engine.output(from, total)) shown += line + "\n";
        EXPECT_NE(shown.find(row.shown), std::string::npos) << shown;
        EXPECT_EQ(host.calls, row.host);
    }
    e2e::board().setDebugger(nullptr, nullptr);
}

}  // namespace
