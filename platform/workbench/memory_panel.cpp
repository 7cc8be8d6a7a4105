// The Memory panel: the 68000 address space in hex and ASCII from the
// snapshot ("--" where the board keeps nothing to show), bytes changed since
// the last stop in red, the bytes read, written and executed in the last
// frames behind in three colours that fade over eight frames, edits of work
// RAM and sprite RAM while stopped, a view that follows a register, and
// write watchpoints from a byte's menu.
#include <imgui.h>

#include <cstdio>

#include "memory_view.h"
#include "workbench_view.h"

namespace workbench {

namespace {

constexpr int kLines = 0x1000000 / 16;
const ImVec4 kChanged(0.85f, 0.1f, 0.1f, 1.0f);
// The highlights' colours: read, written, executed.
const ImVec4 kAccessColours[3] = {{0.2f, 0.75f, 0.3f, 1.0f}, {0.95f, 0.45f, 0.1f, 1.0f}, {0.3f, 0.5f, 1.0f, 1.0f}};
const char* const kAccessNames[3] = {"read", "written", "executed"};

// The most recent access of the byte: its kind and how strongly it shows
// (1 for the frame under way, less for each frame back); none: 0.
float recentAccess(const AccessAges* ages, uint32_t address, int& kind) {
    if (!ages) return 0;
    int newest = 8;
    for (int k = 0; k < 3; ++k) {
        const uint8_t age = ages->at(address, static_cast<AccessKind>(k));
        for (int bit = 0; bit < newest; ++bit)
            if (age >> bit & 1) {
                newest = bit, kind = k;
                break;
            }
    }
    return newest < 8 ? static_cast<float>(8 - newest) / 8.0f : 0.0f;
}

// On the fields' line where it fits, else on a line of its own.
void legend() {
    const float width = ImGui::CalcTextSize("read written executed").x + scaled(28);
    for (int k = 0; k < 3; ++k) {
        const float room = ImGui::GetWindowPos().x + ImGui::GetWindowContentRegionMax().x - ImGui::GetItemRectMax().x;
        if (k || room >= width)
            ImGui::SameLine(0, scaled(k ? 8 : 12));
        ImVec4 c = kAccessColours[k];
        c.w = 0.6f;
        ImGui::TextColored(c, "%s", kAccessNames[k]);
    }
}

void gotoField(PanelState& state, Controller& controller) {
    ImGui::SetNextItemWidth(scaled(160));
    if (!ImGui::InputTextWithHint("##goto", "address or symbol", state.memoryGoto, sizeof state.memoryGoto,
                                  ImGuiInputTextFlags_EnterReturnsTrue))
        return;
    std::string error;
    const auto symbols = controller.symbols();
    if (const auto address = parseAddress(state.memoryGoto, symbols.get(), error)) {
        state.memoryAddress = *address & 0xFFFFF0;
        state.memoryJump = true;
        state.note.clear();
    } else {
        state.note = error;
    }
}

void editFields(PanelState& state, const Snapshot& s, Controller& controller) {
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(70));
    ImGui::InputTextWithHint("##at", "address", state.pokeAddress, sizeof state.pokeAddress,
                             ImGuiInputTextFlags_CharsHexadecimal);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(30));
    ImGui::InputTextWithHint("##value", "byte", state.pokeValue, sizeof state.pokeValue,
                             ImGuiInputTextFlags_CharsHexadecimal);
    ImGui::SameLine();
    if (!ImGui::Button("Write")) return;
    std::string error;
    const auto address = parseAddress(state.pokeAddress, nullptr, error);
    unsigned value = 0;
    char extra = 0;
    if (!address) state.note = error;
    else if (std::sscanf(state.pokeValue, "%x%c", &value, &extra) != 1 || value > 0xFF)
        state.note = "the value must be one byte: 00 to FF";
    else if (!s.stopped) state.note = "Pause first: memory is edited while the 68000 is stopped";
    else if (auto refused = refuseEdit(*address)) state.note = *refused;
    else {
        Command c;
        c.kind = CommandKind::PokeByte;
        c.address = *address;
        c.value = value;
        controller.post(c);
        state.note.clear();
    }
}

}  // namespace

// The view kept on a register's value (A0-A7 or PC), moved when it changes.
void followField(PanelState& state, const Snapshot& s) {
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(70));
    ImGui::Combo("##follow", &state.memoryFollow, "follow\0A0\0A1\0A2\0A3\0A4\0A5\0A6\0A7\0PC\0");
    if (state.memoryFollow <= 0) return;
    const uint32_t value = (state.memoryFollow == 9 ? s.state.pc : s.state.areg[state.memoryFollow - 1]) & 0xFFFFF0;
    if (value == state.memoryFollowed) return;
    state.memoryFollowed = value;
    state.memoryAddress = value;
    state.memoryJump = true;
}

// A right-click on a byte: a watchpoint on writes to it, its word or its
// long word.
void byteMenu(PanelState& state, Controller& controller) {
    if (!ImGui::BeginPopup("byte")) return;
    const uint32_t at = state.memoryContext;
    const struct {
        const char* label;
        uint32_t address, length;
    } choices[] = {{"Stop on writes to this byte", at, 1},
                   {"Stop on writes to this word", at & ~1u, 2},
                   {"Stop on writes to this long word", at & ~1u, 4}};
    ImGui::TextDisabled("0x%06X", at);
    for (const auto& c : choices)
        if (ImGui::MenuItem(c.label)) {
            Command command;
            command.kind = CommandKind::SetWatchpoint;
            command.address = c.address;
            command.value = c.length;
            command.index = 2;  // writes, as the Breakpoints panel numbers them
            controller.post(command);
        }
    ImGui::EndPopup();
}

void drawMemoryPanel(PanelState& state, const Snapshot& s, Controller& controller) {
    gotoField(state, controller);
    editFields(state, s, controller);
    followField(state, s);
    legend();
    const auto before = controller.atLastStop();
    ImGui::BeginChild("bytes", ImVec2(0, 0), true);
    const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
    if (state.memoryJump) {
        ImGui::SetScrollY(static_cast<float>(state.memoryAddress / 16) * lineHeight);
        state.memoryJump = false;
    }
    ImGuiListClipper clipper;
    clipper.Begin(kLines, lineHeight);
    while (clipper.Step()) {
        for (int line = clipper.DisplayStart; line < clipper.DisplayEnd; ++line) {
            const uint32_t address = static_cast<uint32_t>(line) * 16;
            ImGui::Text("%06X ", address);
            for (uint32_t i = 0; i < 16; ++i) {
                ImGui::SameLine(0, scaled(i == 8 ? 8 : 4));
                int kind = 0;
                if (const float strength = recentAccess(s.accessAges.get(), address + i, kind); strength > 0) {
                    const ImVec2 at = ImGui::GetCursorScreenPos(), size = ImGui::CalcTextSize("00");
                    ImVec4 c = kAccessColours[kind];
                    c.w = 0.6f * strength;
                    ImGui::GetWindowDrawList()->AddRectFilled(at, ImVec2(at.x + size.x, at.y + size.y),
                                                              ImGui::GetColorU32(c));
                }
                const auto byte = viewByte(s, address + i);
                if (!byte) ImGui::TextDisabled("--");
                else if (before && s.stopped && byteChanged(*before, s, address + i)) ImGui::TextColored(kChanged, "%02X", *byte);
                else ImGui::Text("%02X", *byte);
                if (ImGui::IsItemClicked(ImGuiMouseButton_Right)) {
                    state.memoryContext = address + i;
                    ImGui::OpenPopup("byte");
                }
            }
            char ascii[17] = {};
            for (uint32_t i = 0; i < 16; ++i) {
                const auto byte = viewByte(s, address + i);
                ascii[i] = byte && *byte >= 0x20 && *byte < 0x7F ? static_cast<char>(*byte) : '.';
            }
            ImGui::SameLine(0, scaled(12));
            ImGui::TextUnformatted(ascii);
        }
    }
    byteMenu(state, controller);
    ImGui::EndChild();
}

}  // namespace workbench
