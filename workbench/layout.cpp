#include "layout.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace workbench {

namespace {
constexpr const char* kNames[kPanelCount] = {"cpu",      "memory",  "sprites", "palettes", "graphics",  "breakpoints",
                                             "listing",  "watch",   "script",  "profiler", "callstack", "events"};
constexpr const char* kTitles[kPanelCount] = {"CPU",     "Memory", "Sprites", "Palettes", "Graphics", "Breakpoints and watchpoints",
                                              "Listing", "Watch",  "Script",  "Profiler", "Call stack", "Events"};
constexpr int kLargest = 10000;
}  // namespace

const char* panelName(int panel) { return panel >= 0 && panel < kPanelCount ? kNames[panel] : ""; }
const char* panelTitle(int panel) { return panel >= 0 && panel < kPanelCount ? kTitles[panel] : ""; }

Layout defaultLayout() {
    Layout layout;
    layout.panels[kCpuPanel] = {true, 4, 24, 440, 316};
    layout.panels[kMemoryPanel] = {true, 448, 24, 528, 300};
    layout.panels[kSpritesPanel] = {true, 448, 328, 528, 368};
    layout.panels[kPalettesPanel] = {false, 4, 468, 440, 228};
    layout.panels[kListingPanel] = {true, 4, 344, 440, 352};
    layout.panels[kWatchPanel] = {false, 448, 24, 420, 220};
    layout.panels[kGraphicsPanel] = {false, 448, 24, 420, 460};
    layout.panels[kBreakpointsPanel] = {false, 448, 328, 420, 300};
    layout.panels[kScriptPanel] = {false, 4, 24, 520, 360};
    layout.panels[kProfilerPanel] = {false, 448, 24, 528, 440};
    layout.panels[kCallStackPanel] = {false, 4, 468, 440, 228};
    layout.panels[kEventsPanel] = {false, 4, 24, 972, 300};
    return layout;
}

std::string formatLayout(const Layout& layout) {
    std::string text;
    for (int p = 0; p < kPanelCount; ++p) {
        const PanelPlace& place = layout.panels[p];
        char entry[80];
        std::snprintf(entry, sizeof entry, "%s%s %d %d %d %d %d", p ? ", " : "", kNames[p], place.open ? 1 : 0,
                      place.left, place.top, place.width, place.height);
        text += entry;
    }
    if (const PanelPlace& w = layout.window; w.open) {
        char entry[80];
        std::snprintf(entry, sizeof entry, ", window 1 %d %d %d %d", w.left, w.top, w.width, w.height);
        text += entry;
    }
    return text;
}

bool parseLayout(const std::string& text, Layout& layout) {
    Layout parsed = layout;
    constexpr int kWindow = kPanelCount;  // the window's own entry, after the panels'
    bool seen[kPanelCount + 1] = {};
    std::stringstream entries(text);
    std::string entry;
    while (std::getline(entries, entry, ',')) {
        std::istringstream fields(entry);
        std::string name, rest;
        int open = -1;
        PanelPlace place;
        if (!(fields >> name >> open >> place.left >> place.top >> place.width >> place.height) || (fields >> rest))
            return false;
        int panel = 0;
        while (panel < kPanelCount && name != kNames[panel]) ++panel;
        if (panel == kPanelCount && name != "window") return false;
        if (seen[panel] || (open != 0 && open != 1)) return false;
        for (int value : {place.left, place.top, place.width, place.height})
            if (value < 0 || value > kLargest) return false;
        place.open = open == 1;
        (panel == kWindow ? parsed.window : parsed.panels[panel]) = place;
        seen[panel] = true;
    }
    layout = parsed;
    return true;
}

}  // namespace workbench
