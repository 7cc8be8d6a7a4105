// The workbench's panels, which are open and where they stand, and their
// text in the settings file: "cpu 1 0 0 430 420, memory 1 ...", one entry a
// panel (name, open 0 or 1, left, top, width, height in window pixels).
#pragma once

#include <string>

namespace workbench {

enum Panel {
    kCpuPanel, kMemoryPanel, kSpritesPanel, kPalettesPanel, kGraphicsPanel, kBreakpointsPanel, kListingPanel, kWatchPanel,
    kScriptPanel, kProfilerPanel, kCallStackPanel, kEventsPanel,
    kPanelCount
};

struct PanelPlace {
    bool open = true;
    int left = 0, top = 0, width = 300, height = 200;
    bool operator==(const PanelPlace&) const = default;
};

struct Layout {
    PanelPlace panels[kPanelCount];
    // The workbench window on the screen, "window 1 left top width height"
    // in the text once known (open), in screen pixels.
    PanelPlace window{false, 0, 0, 0, 0};
    bool operator==(const Layout&) const = default;
};

const char* panelName(int panel);  // "cpu", "memory" ...
const char* panelTitle(int panel);  // "CPU", "Memory" ...
Layout defaultLayout();
std::string formatLayout(const Layout& layout);
// False (and `layout` unchanged) unless `text` is a layout as formatLayout
// writes it: each panel at most once, places within 0 to 10000.
bool parseLayout(const std::string& text, Layout& layout);

}  // namespace workbench
