#include "workbench_view.h"

#include <imgui.h>

#include <algorithm>

namespace workbench {

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
            if (!snapshot->message.empty()) ImGui::Text("  %s", snapshot->message.c_str());
        }
        if (!fState.note.empty()) ImGui::Text("  %s", fState.note.c_str());
        if (const std::string refused = fController.refusal(); !refused.empty()) ImGui::Text("  %s", refused.c_str());
        ImGui::EndMainMenuBar();
    }
    for (int p = 0; p < kPanelCount; ++p) {
        PanelPlace& place = layout.panels[p];
        if (!place.open) continue;
        const ImGuiCond when = fPlaced ? ImGuiCond_FirstUseEver : ImGuiCond_Always;
        ImGui::SetNextWindowPos(ImVec2(static_cast<float>(place.left), static_cast<float>(place.top)), when);
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(place.width), static_cast<float>(place.height)), when);
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
                    case kScriptPanel: drawScriptPanel(fState, fController.scriptConsole()); break;
                    case kProfilerPanel: drawProfilerPanel(fState, *snapshot, fController); break;
                    case kCallStackPanel: drawCallStackPanel(*snapshot, fController); break;
                }
            }
        }
        const ImVec2 at = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
        place.left = std::max(0, static_cast<int>(at.x)), place.top = std::max(0, static_cast<int>(at.y));
        place.width = static_cast<int>(size.x), place.height = static_cast<int>(size.y);
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
