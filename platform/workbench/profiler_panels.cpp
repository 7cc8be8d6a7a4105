// The Profiler panel (a range's functions as a sortable table or a call
// tree, start, stop and the export) and the Call stack panel.
#include <imgui.h>

#include <algorithm>
#include <vector>

#include "workbench_view.h"

namespace workbench {

namespace {

double share(uint64_t part, uint64_t whole) { return whole ? 100.0 * static_cast<double>(part) / whole : 0.0; }

void listAt(Controller& controller, uint32_t address) {
    Command c;
    c.kind = CommandKind::ListAt;
    c.address = address;
    controller.post(c);
}

void post(Controller& controller, CommandKind kind, const std::string& path = "") {
    Command c;
    c.kind = kind;
    c.path = path;
    controller.post(c);
}

struct Row {
    uint32_t function;
    const std::string* name;
    FunctionCost cost;
};

// The code/data log: its counts, and its file saved or merged in.
void codeDataRow(PanelState& state, const Snapshot& s, Controller& controller) {
    ImGui::SetNextItemWidth(scaled(140));
    ImGui::InputText("##cdl", state.codeDataPath, sizeof state.codeDataPath);
    ImGui::SameLine();
    if (ImGui::Button("Save log")) post(controller, CommandKind::CodeDataSave, state.codeDataPath);
    ImGui::SameLine();
    if (ImGui::Button("Load log")) post(controller, CommandKind::CodeDataLoad, state.codeDataPath);
    if (s.codeDataCounts.size() != 3) return;
    ImGui::SameLine();
    ImGui::Text("code/data: %u opcode, %u operand, %u data words", s.codeDataCounts[0], s.codeDataCounts[1],
                s.codeDataCounts[2]);
}

void drawTable(const NamedProfile& named, Controller& controller) {
    const Profile& p = named.profile;
    std::vector<Row> rows;
    for (const auto& [function, cost] : p.functions) rows.push_back({function, &named.names.at(function), cost});
    constexpr ImGuiTableFlags flags = ImGuiTableFlags_Sortable | ImGuiTableFlags_ScrollY | ImGuiTableFlags_RowBg |
                                      ImGuiTableFlags_Resizable | ImGuiTableFlags_BordersOuter;
    const float footer = 2 * ImGui::GetTextLineHeightWithSpacing();
    if (!ImGui::BeginTable("functions", 6, flags, ImVec2(0, -footer))) return;
    ImGui::TableSetupScrollFreeze(0, 1);
    ImGui::TableSetupColumn("Function", ImGuiTableColumnFlags_WidthStretch);
    ImGui::TableSetupColumn("Self", ImGuiTableColumnFlags_DefaultSort | ImGuiTableColumnFlags_PreferSortDescending);
    ImGui::TableSetupColumn("Self %", ImGuiTableColumnFlags_PreferSortDescending);
    ImGui::TableSetupColumn("Inclusive", ImGuiTableColumnFlags_PreferSortDescending);
    ImGui::TableSetupColumn("Incl. %", ImGuiTableColumnFlags_PreferSortDescending);
    ImGui::TableSetupColumn("Calls", ImGuiTableColumnFlags_PreferSortDescending);
    ImGui::TableHeadersRow();
    if (const ImGuiTableSortSpecs* sort = ImGui::TableGetSortSpecs(); sort && sort->SpecsCount > 0) {
        const int column = sort->Specs[0].ColumnIndex;
        const bool up = sort->Specs[0].SortDirection == ImGuiSortDirection_Ascending;
        const auto key = [column](const Row& r) -> uint64_t {
            switch (column) {
                case 1:
                case 2: return r.cost.self;
                case 3:
                case 4: return r.cost.inclusive;
                case 5: return r.cost.calls;
                default: return 0;
            }
        };
        std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
            if (column == 0) return up ? *a.name < *b.name : *b.name < *a.name;
            return up ? key(a) < key(b) : key(b) < key(a);
        });
    }
    for (const Row& r : rows) {
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        ImGui::PushID(static_cast<int>(r.function));
        if (ImGui::Selectable(r.name->c_str(), false, ImGuiSelectableFlags_SpanAllColumns)) listAt(controller, r.function);
        ImGui::PopID();
        ImGui::TableNextColumn();
        ImGui::Text("%llu", static_cast<unsigned long long>(r.cost.self));
        ImGui::TableNextColumn();
        ImGui::Text("%.2f", share(r.cost.self, p.cycles));
        ImGui::TableNextColumn();
        ImGui::Text("%llu", static_cast<unsigned long long>(r.cost.inclusive));
        ImGui::TableNextColumn();
        ImGui::Text("%.2f", share(r.cost.inclusive, p.cycles));
        ImGui::TableNextColumn();
        ImGui::Text("%llu", static_cast<unsigned long long>(r.cost.calls));
    }
    ImGui::EndTable();
}

void drawNode(const NamedProfile& named, int index, Controller& controller) {
    const Profile& p = named.profile;
    const TreeNode& node = p.tree[static_cast<size_t>(index)];
    std::vector<int> children = node.children;
    std::sort(children.begin(), children.end(),
              [&](int a, int b) { return p.tree[static_cast<size_t>(a)].inclusive > p.tree[static_cast<size_t>(b)].inclusive; });
    const std::string& name = named.names.at(node.function);
    ImGui::PushID(index);
    const ImGuiTreeNodeFlags flags = children.empty() ? ImGuiTreeNodeFlags_Leaf : ImGuiTreeNodeFlags_None;
    const bool open = node.vector >= 0
                          ? ImGui::TreeNodeEx("node", flags, "%s (vector %d)  %.2f %%  self %.2f %%  %llu taken", name.c_str(),
                                              node.vector, share(node.inclusive, p.cycles), share(node.self, p.cycles),
                                              static_cast<unsigned long long>(node.calls))
                          : ImGui::TreeNodeEx("node", flags, "%s  %.2f %%  self %.2f %%  %llu calls", name.c_str(),
                                              share(node.inclusive, p.cycles), share(node.self, p.cycles),
                                              static_cast<unsigned long long>(node.calls));
    if (ImGui::IsItemClicked(ImGuiMouseButton_Right)) listAt(controller, node.function);
    if (open) {
        for (int child : children) drawNode(named, child, controller);
        ImGui::TreePop();
    }
    ImGui::PopID();
}

}  // namespace

void drawProfilerPanel(PanelState& state, const Snapshot& s, Controller& controller) {
    const bool running = s.profile && s.profile->running;
    if (ImGui::Button(running ? "Stop" : "Start")) post(controller, running ? CommandKind::ProfileStop : CommandKind::ProfileStart);
    ImGui::SameLine();
    ImGui::Checkbox("Call tree", &state.profileAsTree);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(160);
    ImGui::InputText("##path", state.profilePath, sizeof state.profilePath);
    ImGui::SameLine();
    if (ImGui::Button("Save for callgrind")) post(controller, CommandKind::ProfileSave, state.profilePath);
    codeDataRow(state, s, controller);
    if (!s.profile) {
        ImGui::TextUnformatted("Start counts the cycles of each function from the next frame on.");
        return;
    }
    const NamedProfile& named = *s.profile;
    if (state.profileAsTree) {
        const float footer = 2 * ImGui::GetTextLineHeightWithSpacing();
        ImGui::BeginChild("tree", ImVec2(0, -footer));
        for (size_t i = 0; i < named.profile.tree.size(); ++i)
            if (named.profile.tree[i].parent < 0) drawNode(named, static_cast<int>(i), controller);
        ImGui::EndChild();
    } else {
        drawTable(named, controller);
    }
    uint64_t self = 0;
    for (const auto& [function, cost] : named.profile.functions) self += cost.self;
    const uint32_t frames = std::max<uint32_t>(named.profile.frames, 1);
    ImGui::TextWrapped("%llu cycles over %u frames (%llu a frame); the self cycles add up to %llu%s",
                static_cast<unsigned long long>(named.profile.cycles), named.profile.frames,
                static_cast<unsigned long long>(named.profile.cycles / frames), static_cast<unsigned long long>(self),
                self == named.profile.cycles ? ", all of them" : "");
}

void drawCallStackPanel(const Snapshot& s, Controller& controller) {
    if (s.callStack.empty()) {
        ImGui::TextUnformatted("The calls are followed from the next frame on.");
        return;
    }
    ImGui::TextDisabled("Newest first; click a frame to list its code.");
    for (size_t i = s.callStack.size(); i-- > 0;) {
        const CallFrame& frame = s.callStack[i];
        const std::string& name = s.callStackNames[i];
        char text[160];
        if (frame.exception())
            std::snprintf(text, sizeof text, "%s  (exception, vector %d%s, from %06X)", name.c_str(), frame.vector,
                          frame.level ? (", level " + std::to_string(frame.level)).c_str() : "", frame.site);
        else if (i == 0)
            std::snprintf(text, sizeof text, "%s", name.c_str());
        else
            std::snprintf(text, sizeof text, "%s  (returns to %06X)", name.c_str(), frame.site);
        ImGui::PushID(static_cast<int>(i));
        // A caller's code where its callee returns to; the newest frame's from its entry.
        if (ImGui::Selectable(text)) listAt(controller, i + 1 < s.callStack.size() ? s.callStack[i + 1].site : frame.function);
        ImGui::PopID();
    }
}

}  // namespace workbench
