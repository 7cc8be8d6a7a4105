// The CPU panel: the run commands, the registers (editable while stopped)
// and the trace.
#include <imgui.h>

#include <algorithm>
#include <cstdio>

#include "workbench_view.h"

namespace workbench {

namespace {

void command(Controller& controller, CommandKind kind, uint32_t address = 0) {
    Command c;
    c.kind = kind;
    c.address = address;
    controller.post(c);
}

void runButtons(const Snapshot& s, Controller& controller) {
    const struct {
        const char* label;
        CommandKind kind;
    } buttons[] = {{"Run", CommandKind::Run},          {"Pause", CommandKind::Pause},
                   {"Step", CommandKind::Step},        {"Step over", CommandKind::StepOver},
                   {"Step out", CommandKind::StepOut}, {"Frame step", CommandKind::FrameStep}};
    for (const auto& b : buttons) {
        if (ImGui::Button(b.label)) command(controller, b.kind);
        ImGui::SameLine();
    }
    ImGui::NewLine();
    ImGui::Text("Frame %llu   cycles %u", static_cast<unsigned long long>(s.frame), s.cycles);
}

// A register shown as 8 hex digits, editable while stopped.
void registerField(const char* name, int index, uint32_t value, bool editable, Controller& controller) {
    ImGui::AlignTextToFramePadding();
    ImGui::Text("%-3s", name);
    ImGui::SameLine();
    if (!editable) {
        ImGui::Text("%08X", value);
        return;
    }
    ImGui::PushID(index);
    ImGui::SetNextItemWidth(ImGui::CalcTextSize("00000000").x + scaled(8));
    uint32_t edited = value;
    if (ImGui::InputScalar("##r", ImGuiDataType_U32, &edited, nullptr, nullptr, "%08X",
                           ImGuiInputTextFlags_CharsHexadecimal | ImGuiInputTextFlags_EnterReturnsTrue) &&
        edited != value) {
        Command c;
        c.kind = CommandKind::SetRegister;
        c.index = index;
        c.value = edited;
        controller.post(c);
    }
    ImGui::PopID();
}

void registers(const Snapshot& s, Controller& controller) {
    const BoardState& st = s.state;
    const bool edit = s.stopped && !s.monitorOwns;
    char name[4];
    if (ImGui::BeginTable("registers", 2)) {
        for (int i = 0; i < 8; ++i) {
            ImGui::TableNextColumn();
            std::snprintf(name, sizeof name, "D%d", i);
            registerField(name, i, st.dreg[i], edit, controller);
            ImGui::TableNextColumn();
            std::snprintf(name, sizeof name, "A%d", i);
            registerField(name, 8 + i, st.areg[i], edit, controller);
        }
        ImGui::EndTable();
    }
    const bool supervisor = st.sr & 0x2000;
    registerField("PC", kRegisterPc, st.pc, edit, controller);
    ImGui::SameLine();
    registerField(supervisor ? "USP" : "SSP", kRegisterOtherStack, st.asp, edit, controller);
    registerField("SR", kRegisterSr, st.sr, edit, controller);
    ImGui::SameLine();
    const char* flags = "TSXNZVC";
    const int bits[] = {15, 13, 4, 3, 2, 1, 0};
    char text[32];
    int at = 0;
    for (int f = 0; f < 7; ++f) text[at++] = st.sr >> bits[f] & 1 ? flags[f] : '.';
    std::snprintf(text + at, sizeof text - at, " I=%d", st.sr >> 8 & 7);
    ImGui::Text("%s  (A7 is the %s)", text, supervisor ? "SSP" : "USP");
}

void traceRow(PanelState& state, Controller& controller) {
    ImGui::SetNextItemWidth(scaled(140));
    ImGui::InputText("##trace", state.tracePath, sizeof state.tracePath);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(90));
    ImGui::InputInt("##count", &state.traceCount, 0);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(110));
    ImGui::Combo("##unit", &state.traceUnit, "instructions\0frames\0");
    ImGui::SameLine();
    if (ImGui::Button("Trace")) {
        Command c;
        c.kind = CommandKind::Trace;
        c.path = state.tracePath;
        c.value = state.traceCount > 0 ? static_cast<uint32_t>(state.traceCount) : 0;
        c.index = state.traceUnit;
        controller.post(c);
    }
}

}  // namespace

void drawCpuPanel(PanelState& state, const Snapshot& s, Controller& controller) {
    runButtons(s, controller);
    registers(s, controller);
    traceRow(state, controller);
}

}  // namespace workbench
