// The Events panel: one of the last frames as a timeline of its cycles, with
// the CPU's slices, the interrupts taken, the accesses to the board's ports
// and the sprite list writes, each a mark whose details show on hover and
// whose click lists the instruction that made it.
#include <imgui.h>

#include <cstdio>

#include "workbench_view.h"

namespace workbench {

namespace {

struct Row {
    const char* label;
    ImU32 colour;
};

// The timeline's rows, from top to bottom.
enum RowIndex { kSlices, kInterrupts, kInputs, kPalette, kSprites, kOtherPorts, kRows };
const Row kRowsShown[kRows] = {
    {"slices", IM_COL32(150, 150, 150, 255)}, {"interrupts", IM_COL32(230, 70, 70, 255)},
    {"input ports", IM_COL32(80, 200, 90, 255)}, {"palette", IM_COL32(220, 170, 40, 255)},
    {"sprite list", IM_COL32(90, 140, 240, 255)}, {"other ports", IM_COL32(200, 100, 220, 255)},
};

RowIndex rowOf(const FrameEvent& e) {
    switch (e.kind) {
        case EventKind::Slice: return kSlices;
        case EventKind::Interrupt: return kInterrupts;
        case EventKind::SpriteWrite: return kSprites;
        default: break;
    }
    const char* port = portName(e.address);
    const std::string name = port ? port : "";
    return name == "input ports" ? kInputs : name == "palette" ? kPalette : kOtherPorts;
}

std::string describe(const FrameEvent& e) {
    char text[160];
    switch (e.kind) {
        case EventKind::Slice:
            std::snprintf(text, sizeof text, "cycle %u: a CPU slice starts, at 0x%06X", e.cycle, e.pc);
            break;
        case EventKind::Interrupt:
            std::snprintf(text, sizeof text, "cycle %u: level %u interrupt, vector %u, to 0x%06X from 0x%06X", e.cycle,
                          e.level, e.vector, e.address, e.pc);
            break;
        default:
            std::snprintf(text, sizeof text, "cycle %u: %s of $%0*X %s %s 0x%06X by the instruction at 0x%06X", e.cycle,
                          e.kind == EventKind::PortRead ? "read" : "write", e.bytes * 2, e.value,
                          e.kind == EventKind::PortRead ? "from" : "to", portName(e.address), e.address, e.pc);
    }
    return text;
}

void listAt(Controller& controller, uint32_t address) {
    Command c;
    c.kind = CommandKind::ListAt;
    c.address = address;
    controller.post(c);
}

}  // namespace

void drawEventsPanel(PanelState& state, const Snapshot& s, Controller& controller) {
    if (s.frameEvents.empty()) {
        ImGui::TextUnformatted("The events are logged from the next frame on.");
        return;
    }
    const int kept = static_cast<int>(s.frameEvents.size());
    state.eventsBack = std::min(state.eventsBack, kept - 1);
    ImGui::SetNextItemWidth(scaled(200));
    ImGui::SliderInt("frames back", &state.eventsBack, 0, kept - 1);
    const FrameEvents& frame = *s.frameEvents[static_cast<size_t>(kept - 1 - state.eventsBack)];
    int counts[kRows] = {};
    for (const FrameEvent& e : frame.events) ++counts[rowOf(e)];
    ImGui::SameLine();
    ImGui::Text("frame %llu: %u cycles, %d interrupts, %d port accesses, %d sprite list writes",
                static_cast<unsigned long long>(frame.frame), frame.length, counts[kInterrupts],
                counts[kInputs] + counts[kPalette] + counts[kOtherPorts], counts[kSprites]);

    const float labelWidth = scaled(90), rowHeight = scaled(22);
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float width = std::max(ImGui::GetContentRegionAvail().x - labelWidth, scaled(100));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (int r = 0; r < kRows; ++r) {
        const float y = origin.y + static_cast<float>(r) * rowHeight;
        draw->AddText(ImVec2(origin.x, y + scaled(3)), ImGui::GetColorU32(ImGuiCol_Text), kRowsShown[r].label);
        draw->AddRectFilled(ImVec2(origin.x + labelWidth, y + 1), ImVec2(origin.x + labelWidth + width, y + rowHeight - 1),
                            ImGui::GetColorU32(ImGuiCol_FrameBg));
    }
    const auto xOf = [&](uint32_t cycle) {
        return origin.x + labelWidth + width * static_cast<float>(cycle) / static_cast<float>(std::max(frame.length, 1u));
    };
    ImGui::InvisibleButton("timeline", ImVec2(labelWidth + width, rowHeight * static_cast<float>(kRows)));
    const bool hovered = ImGui::IsItemHovered();
    const ImVec2 mouse = ImGui::GetIO().MousePos;
    const FrameEvent* nearest = nullptr;
    float nearestDistance = scaled(4);
    for (const FrameEvent& e : frame.events) {
        const int r = rowOf(e);
        const float x = xOf(e.cycle), y = origin.y + static_cast<float>(r) * rowHeight;
        draw->AddLine(ImVec2(x, y + 3), ImVec2(x, y + rowHeight - 3), kRowsShown[r].colour, e.kind == EventKind::Slice ? 2.0f : 1.0f);
        if (hovered && mouse.y >= y && mouse.y < y + rowHeight && std::abs(mouse.x - x) < nearestDistance) {
            nearest = &e;
            nearestDistance = std::abs(mouse.x - x);
        }
    }
    if (nearest) {
        ImGui::SetTooltip("%s", describe(*nearest).c_str());
        if (ImGui::IsItemClicked()) listAt(controller, nearest->pc);
    }
    ImGui::TextDisabled("Hover a mark for its details; click it to list the instruction that made it.");
    if (frame.events.size() >= AccessLog::kEventsPerFrame)
        ImGui::TextDisabled("Only the frame's first %zu events are kept.", AccessLog::kEventsPerFrame);
}

}  // namespace workbench
