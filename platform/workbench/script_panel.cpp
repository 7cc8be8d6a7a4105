// The Script panel: a Lua file to run or stop, the scripts' output, and a
// prompt whose line is evaluated against the running machine.
#include <imgui.h>

#include "workbench_view.h"

namespace workbench {

void drawScriptPanel(PanelState& state, ScriptConsole* console) {
    if (!console) {
        ImGui::TextUnformatted("No scripts here.");
        return;
    }
    ImGui::SetNextItemWidth(-120);
    ImGui::InputTextWithHint("##file", "Lua file", state.scriptPath, sizeof state.scriptPath);
    ImGui::SameLine();
    if (ImGui::Button("Run") && state.scriptPath[0]) console->runFile(state.scriptPath);
    ImGui::SameLine();
    if (ImGui::Button("Stop")) console->stopScripts();
    ImGui::TextUnformatted(console->running() ? "A script runs" : "No script runs");

    size_t total = 0;
    std::vector<std::string> fresh = console->output(state.scriptLinesRead, total);
    state.scriptLinesRead = total;
    for (std::string& line : fresh) state.scriptOutput.push_back(std::move(line));
    constexpr size_t kShownLines = 1000;
    if (state.scriptOutput.size() > kShownLines)
        state.scriptOutput.erase(state.scriptOutput.begin(),
                                 state.scriptOutput.end() - static_cast<long>(kShownLines));
    ImGui::BeginChild("output", ImVec2(0, -ImGui::GetFrameHeightWithSpacing()), true);
    for (const std::string& line : state.scriptOutput) ImGui::TextUnformatted(line.c_str());
    if (!fresh.empty()) ImGui::SetScrollHereY(1.0f);
    ImGui::EndChild();

    ImGui::SetNextItemWidth(-1);
    if (ImGui::InputTextWithHint("##prompt", "Lua, such as emu.read16(0x100000)", state.scriptLine,
                                 sizeof state.scriptLine, ImGuiInputTextFlags_EnterReturnsTrue)) {
        if (state.scriptLine[0]) console->evaluate(state.scriptLine);
        state.scriptLine[0] = '\0';
        ImGui::SetKeyboardFocusHere(-1);  // the prompt keeps the keys for the next line
    }
}

}  // namespace workbench
