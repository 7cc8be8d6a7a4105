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

const ImVec4 kChangedRegister(0.85f, 0.1f, 0.1f, 1.0f);

void setRegister(Controller& controller, int index, uint32_t value) {
    Command c;
    c.kind = CommandKind::SetRegister;
    c.index = index;
    c.value = value;
    controller.post(c);
}

// A register shown as 8 hex digits where it stands, editable while stopped,
// red when it changed since the last stop.
void registerField(const char* name, int index, const Snapshot& s, const Snapshot* before, bool editable,
                   Controller& controller) {
    const uint32_t value = registerValue(s.state, index);
    ImGui::AlignTextToFramePadding();
    ImGui::Text("%-3s", name);
    ImGui::SameLine();
    const bool changed = s.stopped && before && registerChanged(before->state, s.state, index);
    if (changed) ImGui::PushStyleColor(ImGuiCol_Text, kChangedRegister);
    if (!editable) {
        ImGui::Text("%08X", value);
    } else {
        ImGui::PushID(index);
        ImGui::SetNextItemWidth(ImGui::CalcTextSize("00000000").x + scaled(8));
        uint32_t edited = value;
        if (ImGui::InputScalar("##r", ImGuiDataType_U32, &edited, nullptr, nullptr, "%08X",
                               ImGuiInputTextFlags_CharsHexadecimal | ImGuiInputTextFlags_EnterReturnsTrue) &&
            edited != value)
            setRegister(controller, index, edited);
        ImGui::PopID();
    }
    if (changed) ImGui::PopStyleColor();
}

// SR's flags, T S I2 I1 I0 X N Z V C, each marked when set and, while
// stopped, set or cleared by a click.
void statusFlags(const Snapshot& s, const Snapshot* before, bool editable, Controller& controller) {
    static const struct {
        const char* name;
        int bit;
    } flags[] = {{"T", 15}, {"S", 13}, {"I2", 10}, {"I1", 9}, {"I0", 8}, {"X", 4}, {"N", 3}, {"Z", 2}, {"V", 1}, {"C", 0}};
    const uint16_t sr = s.state.sr;
    for (const auto& f : flags) {
        const bool set = sr >> f.bit & 1;
        const bool changed = s.stopped && before && (before->state.sr >> f.bit & 1) != set;
        ImGui::SameLine(0, scaled(2));
        if (changed) ImGui::PushStyleColor(ImGuiCol_Text, kChangedRegister);
        if (!set) ImGui::PushStyleColor(ImGuiCol_Text, ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled));
        const ImVec2 size = ImGui::CalcTextSize(f.name);
        if (ImGui::Selectable(f.name, set, editable ? 0 : ImGuiSelectableFlags_Disabled, size) && editable)
            setRegister(controller, kRegisterSr, sr ^ (1u << f.bit));
        if (!set) ImGui::PopStyleColor();
        if (changed) ImGui::PopStyleColor();
    }
}

void registers(const Snapshot& s, Controller& controller) {
    const BoardState& st = s.state;
    const bool edit = s.stopped && !s.monitorOwns;
    const auto atStop = controller.atLastStop();
    const Snapshot* before = atStop.get();
    char name[4];
    if (ImGui::BeginTable("registers", 2)) {
        for (int i = 0; i < 8; ++i) {
            ImGui::TableNextColumn();
            std::snprintf(name, sizeof name, "D%d", i);
            registerField(name, i, s, before, edit, controller);
            ImGui::TableNextColumn();
            std::snprintf(name, sizeof name, "A%d", i);
            registerField(name, 8 + i, s, before, edit, controller);
        }
        ImGui::EndTable();
    }
    const bool supervisor = st.sr & 0x2000;
    registerField("PC", kRegisterPc, s, before, edit, controller);
    ImGui::SameLine();
    registerField(supervisor ? "USP" : "SSP", kRegisterOtherStack, s, before, edit, controller);
    registerField("SR", kRegisterSr, s, before, edit, controller);
    statusFlags(s, before, edit, controller);
    ImGui::SameLine();
    ImGui::TextDisabled(" A7 is the %s", supervisor ? "SSP" : "USP");
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
