#include "workbench_view.h"

#include <imgui.h>

#include <algorithm>
#include <utility>

namespace workbench {

float scaled(float pixels) { return pixels * ImGui::GetIO().FontGlobalScale; }

WorkbenchView::WorkbenchView(BRect frame, Controller& controller, const Layout& layout)
    : BImmediateView(frame, "workbench", B_FOLLOW_ALL_SIDES, 0), fController(controller), fLayout(layout) {
    SetViewColor(200, 200, 200);
}

Layout WorkbenchView::CurrentLayout() const {
    std::lock_guard held(fLayoutLock);
    return fLayout;
}

bool WorkbenchView::LayoutChangedByUser() const {
    std::lock_guard held(fLayoutLock);
    return fChangedByUser;
}

// One message at a time in the bar: the controller's outcome of the last
// command or stop, a panel's note or a refused command, whichever came last;
// none from before the workbench was last opened.
const std::string& WorkbenchView::latestMessage(const Snapshot* snapshot) {
    const double now = ImGui::GetTime();
    if (const uint32_t opening = fController.openings(); opening != fOpening) {
        fOpening = opening;
        fNotice.give("", now);
        fState.note.clear();
        if (snapshot) fMessageSerial = snapshot->messageSerial;  // from before this opening
    }
    if (snapshot && snapshot->messageSerial != fMessageSerial) {
        fMessageSerial = snapshot->messageSerial;
        fNotice.give(snapshot->message, now);
    }
    if (!fState.note.empty()) fNotice.give(std::exchange(fState.note, std::string()), now);
    if (std::string refused = fController.takeRefusal(); !refused.empty()) fNotice.give(std::move(refused), now);
    return fNotice.shown(now);
}

void WorkbenchView::DrawImmediate(ImmediateCanvas& canvas, int, int) {
    const Layout before = CurrentLayout();
    Layout layout = before;
    const auto snapshot = fController.latest();
    if (ImGui::BeginMainMenuBar()) {
        if (ImGui::BeginMenu("Panels")) {
            for (int p = 0; p < kPanelCount; ++p) ImGui::MenuItem(panelTitle(p), nullptr, &layout.panels[p].open);
            ImGui::EndMenu();
        }
        if (snapshot) {
            ImGui::TextUnformatted(snapshot->monitorOwns ? "  The console monitor has the machine"
                                   : snapshot->stopped  ? "  Stopped"
                                                        : "  Running");
        }
        if (const std::string& message = latestMessage(snapshot.get()); !message.empty())
            ImGui::Text("  %s", message.c_str());
        ImGui::EndMainMenuBar();
    }
    // The places are kept at scale 1; the panels are drawn at the window's scale.
    const float scale = ImGui::GetIO().FontGlobalScale;
    if (scale != fScale) fPlaced = false;
    fScale = scale;
    const auto scaled = [scale](int value) { return static_cast<float>(value) * scale; };
    const auto unscaled = [scale](float value) { return static_cast<int>(value / scale + 0.5f); };
    for (int p = 0; p < kPanelCount; ++p) {
        PanelPlace& place = layout.panels[p];
        if (!place.open) continue;
        const ImGuiCond when = fPlaced ? ImGuiCond_FirstUseEver : ImGuiCond_Always;
        ImGui::SetNextWindowPos(ImVec2(scaled(place.left), scaled(place.top)), when);
        ImGui::SetNextWindowSize(ImVec2(scaled(place.width), scaled(place.height)), when);
        if (ImGui::Begin(panelTitle(p), &place.open)) {
            if (!snapshot || !snapshot->valid) {
                ImGui::TextUnformatted("No frame has run yet: boot the game (File > Boot).");
            } else {
                switch (p) {
                    case kCpuPanel: drawCpuPanel(fState, *snapshot, fController); break;
                    case kMemoryPanel: drawMemoryPanel(fState, *snapshot, fController); break;
                    case kSpritesPanel: drawSpritesPanel(fState, *snapshot, canvas); break;
                    case kPalettesPanel: drawPalettesPanel(fState, *snapshot); break;
                    case kGraphicsPanel: drawGraphicsPanel(fState, *snapshot, canvas); break;
                    case kBreakpointsPanel: drawBreakpointsPanel(fState, *snapshot, fController); break;
                    case kListingPanel: drawListingPanel(fState, *snapshot, fController); break;
                    case kWatchPanel: drawWatchPanel(fState, *snapshot, fController); break;
                    case kScriptPanel: drawScriptPanel(fState, fController.scriptConsole()); break;
                    case kProfilerPanel: drawProfilerPanel(fState, *snapshot, fController); break;
                    case kCallStackPanel: drawCallStackPanel(*snapshot, fController); break;
                    case kEventsPanel: drawEventsPanel(fState, *snapshot, fController); break;
                }
            }
        }
        const ImVec2 at = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
        place.left = std::max(0, unscaled(at.x)), place.top = std::max(0, unscaled(at.y));
        place.width = unscaled(size.x), place.height = unscaled(size.y);
        ImGui::End();
    }
    fPlaced = true;
    // The user changes the places with the pointer (dragging, the close
    // boxes, the Panels menu): a change made while its button is down or
    // as it is released is theirs, any other ImGui's own.
    const bool pointerUsed = ImGui::IsMouseDown(ImGuiMouseButton_Left) || ImGui::IsMouseReleased(ImGuiMouseButton_Left);
    std::lock_guard held(fLayoutLock);
    if (pointerUsed && layout != before) fChangedByUser = true;
    fLayout = layout;
}

}  // namespace workbench
