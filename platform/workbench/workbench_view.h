// The workbench's content: its panels (CPU, Memory, Sprites, Palettes,
// Graphics, Breakpoints) drawn with ImGui from the controller's latest
// snapshot. Run commands and edits go to the controller, which applies them
// on the emulation thread; nothing here touches the machine.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "controller.h"
#include "immediate_view.h"
#include "layout.h"
#include "navigation.h"
#include "notice.h"
#include "watch.h"

namespace workbench {

constexpr uint32_t kNoFocus = 0xFFFFFFFF;

// What the panels remember between draws (the event loop's thread only).
struct PanelState {
    int selectedSprite = -1;
    bool spriteScroll = false;  // the table scrolls to the selection at its next draw
    bool onlyDrawn = true;
    uint32_t memoryAddress = 0x100000;
    bool memoryJump = true;
    int memoryFollow = 0;  // 0 none, 1-8 A0-A7, 9 PC
    uint32_t memoryFollowed = kNoFocus, memoryContext = 0;
    char memoryGoto[64] = "";
    char cpuGoto[64] = "";
    // The listing: the line to scroll to (centred, or only into view), the
    // line at its top, the places gone to, the PC as last drawn.
    uint32_t listingFocus = kNoFocus;
    bool listingCentre = true;
    uint32_t listingTop = 0;
    Navigation listingPlaces;
    uint32_t listingPc = 0;
    bool listingWasStopped = false;
    char pokeAddress[16] = "";
    char pokeValue[8] = "";
    char breakpointAddress[64] = "";
    char watchAddress[64] = "";
    int watchLength = 2, watchKind = 1;  // 0 read, 1 write, 2 both
    int graphicsBank = 0, graphicsPage = 0, graphicsZoom = 2;
    char tracePath[256] = "trace.txt";
    int traceCount = 1000, traceUnit = 0;  // 0 instructions, 1 frames
    char profilePath[256] = "profile.out";
    char codeDataPath[256] = "bevorel.cdl";
    int eventsBack = 0;  // the Events panel's frame: 0 the last
    bool profileAsTree = false;
    char scriptPath[256] = "script.lua";
    char scriptLine[256] = "";
    std::vector<std::string> scriptOutput;  // the lines read so far
    size_t scriptLinesRead = 0;
    char watchListText[64] = "";
    int watchListSize = 2, watchListFormat = 0;  // 4 bytes, hex
    std::vector<Watch> watches;
    std::string note;  // a panel's own message (a bad address), for the bar
};

class WorkbenchView : public BImmediateView {
public:
    WorkbenchView(BRect frame, Controller& controller, const Layout& layout);
    void DrawImmediate(ImmediateCanvas& canvas, int width, int height) override;
    // The panels as they stand now (any thread).
    Layout CurrentLayout() const;
    // Whether the user has moved, resized, opened or closed a panel (any
    // thread). ImGui fitting the places it was given (a zero size to the
    // content, a panel outside the window back into it) is not the user's.
    bool LayoutChangedByUser() const;

private:
    const std::string& latestMessage(const Snapshot* snapshot);

    Controller& fController;
    mutable std::mutex fLayoutLock;  // guards fLayout and fChangedByUser
    Layout fLayout;
    bool fChangedByUser = false;
    bool fPlaced = false;  // the panels stand where the layout says, at fScale
    float fScale = 1;
    PanelState fState;
    Notice fNotice;
    uint64_t fMessageSerial = 0;
    uint32_t fOpening = 0;
};

// `pixels` at the window's scale (--scale).
float scaled(float pixels);

// The panels, drawn inside their ImGui windows.
void drawCpuPanel(PanelState& state, const Snapshot& s, Controller& controller);
void drawMemoryPanel(PanelState& state, const Snapshot& s, Controller& controller);
void drawSpritesPanel(PanelState& state, const Snapshot& s, ImmediateCanvas& canvas);
void drawPalettesPanel(PanelState& state, const Snapshot& s);
void drawGraphicsPanel(PanelState& state, const Snapshot& s, ImmediateCanvas& canvas);
void drawBreakpointsPanel(PanelState& state, const Snapshot& s, Controller& controller);
void drawScriptPanel(PanelState& state, ScriptConsole* console);
void drawProfilerPanel(PanelState& state, const Snapshot& s, Controller& controller);
void drawCallStackPanel(const Snapshot& s, Controller& controller);
void drawEventsPanel(PanelState& state, const Snapshot& s, Controller& controller);
void drawListingPanel(PanelState& state, const Snapshot& s, Controller& controller);
void drawWatchPanel(PanelState& state, const Snapshot& s, Controller& controller);

}  // namespace workbench
