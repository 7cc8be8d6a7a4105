// The Watch panel: addresses or symbols with a size and a format, their
// values read from each snapshot (at each stop and each frame drawn while
// running), those changed since the previous stop in red.
#include <imgui.h>

#include <cstdio>

#include "workbench_view.h"

namespace workbench {

namespace {
const ImVec4 kChangedValue(0.85f, 0.1f, 0.1f, 1.0f);
}  // namespace

void drawWatchPanel(PanelState& state, const Snapshot& s, Controller& controller) {
    const auto symbols = controller.symbols();
    ImGui::SetNextItemWidth(scaled(140));
    const bool entered = ImGui::InputTextWithHint("##watched", "address or symbol", state.watchListText,
                                                  sizeof state.watchListText, ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(70));
    ImGui::Combo("##size", &state.watchListSize, "1 byte\0" "2 bytes\0" "4 bytes\0");
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(80));
    ImGui::Combo("##format", &state.watchListFormat, "hex\0signed\0unsigned\0");
    ImGui::SameLine();
    if (ImGui::Button("Add") || entered) {
        std::string error;
        const int size = 1 << state.watchListSize;
        if (auto watch = makeWatch(state.watchListText, size, static_cast<WatchFormat>(state.watchListFormat),
                                   symbols.get(), error))
            state.watches.push_back(*watch);
        else
            state.note = error;
    }
    const auto atStop = controller.atLastStop();
    const ImGuiTableFlags flags = ImGuiTableFlags_ScrollY | ImGuiTableFlags_ScrollX | ImGuiTableFlags_RowBg |
                                  ImGuiTableFlags_BordersOuter | ImGuiTableFlags_SizingFixedFit;
    if (!ImGui::BeginTable("watches", 4, flags)) return;
    ImGui::TableSetupScrollFreeze(0, 1);
    for (const char* heading : {"Watch", "Address", "Value", ""}) ImGui::TableSetupColumn(heading);
    ImGui::TableHeadersRow();
    for (size_t i = 0; i < state.watches.size(); ++i) {
        const Watch& w = state.watches[i];
        ImGui::PushID(static_cast<int>(i));
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(w.name.c_str());
        ImGui::TableNextColumn();
        const std::string name = symbols ? symbols->describe(w.address) : "";
        ImGui::Text("0x%06X %s", w.address, name.c_str());
        ImGui::TableNextColumn();
        const std::string value = watchValue(s, w);
        const bool changed = s.stopped && atStop && watchValue(*atStop, w) != value;
        if (changed) ImGui::TextColored(kChangedValue, "%s", value.c_str());
        else ImGui::TextUnformatted(value.c_str());
        ImGui::TableNextColumn();
        const bool remove = ImGui::SmallButton("Remove");
        ImGui::PopID();
        if (remove) {
            state.watches.erase(state.watches.begin() + static_cast<long>(i));
            break;
        }
    }
    ImGui::EndTable();
}

}  // namespace workbench
