// The Listing panel: the instructions around the PC (or a place gone to),
// with their words, the symbols as headings and in the operands, the
// breakpoints, and the PC line kept in view: centred when the 68000 stops,
// brought back into view when a step takes it out.
#include <imgui.h>

#include <algorithm>
#include <cstdio>

#include "workbench_view.h"

namespace workbench {

namespace {

const ImVec4 kPcLine(1.0f, 0.78f, 0.25f, 1.0f);      // stronger than the hover
const ImVec4 kHovered(0.80f, 0.86f, 0.96f, 1.0f);
const ImVec4 kBreakpoint(0.85f, 0.1f, 0.1f, 1.0f);

void listAt(PanelState& state, Controller& controller, uint32_t address) {
    Command c;
    c.kind = CommandKind::ListAt;
    c.address = address;
    controller.post(c);
    state.listingFocus = address;
    state.listingCentre = true;
}

void goTo(PanelState& state, const Snapshot& s, Controller& controller) {
    ImGui::SetNextItemWidth(scaled(160));
    const bool entered = ImGui::InputTextWithHint("##goto", "address, symbol or register", state.cpuGoto,
                                                  sizeof state.cpuGoto,
                                                  ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll);
    ImGui::SameLine();
    if (ImGui::Button("Go") || entered) {
        std::string error;
        const auto symbols = controller.symbols();
        if (const auto address = parseAddress(state.cpuGoto, symbols.get(), error, &s.state)) {
            state.listingPlaces.go(state.listingTop, *address);
            listAt(state, controller, *address);
        } else {
            state.note = error;
        }
    }
    ImGui::SameLine();
    ImGui::BeginDisabled(!state.listingPlaces.canGoBack());
    if (ImGui::ArrowButton("back", ImGuiDir_Left))
        if (const auto place = state.listingPlaces.back(state.listingTop)) listAt(state, controller, *place);
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::BeginDisabled(!state.listingPlaces.canGoForward());
    if (ImGui::ArrowButton("forward", ImGuiDir_Right))
        if (const auto place = state.listingPlaces.forward(state.listingTop)) listAt(state, controller, *place);
    ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("PC")) {
        state.listingPlaces.go(state.listingTop, s.state.pc & 0xFFFFFF);
        listAt(state, controller, s.state.pc & 0xFFFFFF);
    }
    ImGui::SameLine();
    ImGui::TextDisabled("click: breakpoint   right-click: run to");
}

// Where the listing must scroll to: the PC when the 68000 stops or a step
// moves it, the place gone to.
void followThePc(PanelState& state, const Snapshot& s) {
    const uint32_t pc = s.state.pc & 0xFFFFFF;
    if (s.stopped && (!state.listingWasStopped || pc != state.listingPc)) {
        state.listingFocus = pc;
        state.listingCentre = !state.listingWasStopped;  // a step only brings it into view
    }
    state.listingWasStopped = s.stopped;
    state.listingPc = pc;
}

}  // namespace

void drawListingPanel(PanelState& state, const Snapshot& s, Controller& controller) {
    goTo(state, s, controller);
    followThePc(state, s);
    const auto symbols = controller.symbols();
    const uint32_t pc = s.state.pc & 0xFFFFFF;
    ImGui::BeginChild("listing", ImVec2(0, 0), true);
    const float top = ImGui::GetScrollY();
    bool topSeen = false;
    ImGui::PushStyleColor(ImGuiCol_HeaderHovered, kHovered);
    ImGui::PushStyleColor(ImGuiCol_Header, kPcLine);
    for (const ListingLine& line : s.listing) {
        if (symbols)
            if (const std::string* name = symbols->nameAt(line.address)) ImGui::TextDisabled("%s:", name->c_str());
        const bool here = line.address == pc;
        const bool breakpoint = std::binary_search(s.breakpoints.begin(), s.breakpoints.end(), line.address);
        const std::string text = symbols ? nameOperands(line.text, *symbols) : line.text;
        char row[200];
        std::snprintf(row, sizeof row, "  %s %06X  %-20s %s", here ? ">" : " ", line.address, line.words.c_str(),
                      text.c_str());
        ImGui::PushID(static_cast<int>(line.address));
        const float y = ImGui::GetCursorPosY();
        // Data (the code/data log's) is dimmed.
        if (line.data) ImGui::PushStyleColor(ImGuiCol_Text, ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled));
        const bool clicked = ImGui::Selectable(row, here);
        if (line.data) ImGui::PopStyleColor();
        if (clicked) {
            Command c;
            c.kind = CommandKind::ToggleBreakpoint;
            c.address = line.address;
            controller.post(c);
        }
        if (ImGui::IsItemClicked(ImGuiMouseButton_Right)) {
            Command c;
            c.kind = CommandKind::RunTo;
            c.address = line.address;
            controller.post(c);
        }
        if (breakpoint) {
            const ImVec2 at = ImGui::GetItemRectMin();
            const float r = ImGui::GetTextLineHeight() * 0.3f;
            ImGui::GetWindowDrawList()->AddCircleFilled(ImVec2(at.x + r + 1, at.y + ImGui::GetTextLineHeight() / 2),
                                                        r, ImGui::GetColorU32(kBreakpoint));
        }
        if (!topSeen && y >= top) {
            state.listingTop = line.address;
            topSeen = true;
        }
        if (state.listingFocus == line.address && state.listingFocus != kNoFocus) {
            if (state.listingCentre || !ImGui::IsItemVisible()) ImGui::SetScrollHereY(0.5f);
            state.listingFocus = kNoFocus;
        }
        ImGui::PopID();
    }
    ImGui::PopStyleColor(2);
    ImGui::EndChild();
}

}  // namespace workbench
