#include "alert_drawing.h"

#include <imgui.h>

#include <algorithm>
#include <string>

#include "alert_queue.h"

namespace kit {

namespace {

std::string expand_tabs(const std::string& text) {
    std::string out;
    size_t column = 0;
    for (char c : text) {
        if (c == '\t') {
            do out += ' ';
            while (++column % 4);
        } else {
            out += c;
            column = c == '\n' ? 0 : column + 1;
        }
    }
    return out;
}

void draw_alert_icon(alert_type type, float size) {
    if (type == B_EMPTY_ALERT) return;
    const ImU32 colours[] = {0, IM_COL32(40, 90, 200, 255), IM_COL32(230, 180, 30, 255),
                             IM_COL32(230, 140, 20, 255), IM_COL32(200, 30, 30, 255)};
    const char* marks[] = {"", "i", "!", "!", "x"};
    ImVec2 at = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 centre(at.x + size / 2, at.y + size / 2);
    draw->AddCircleFilled(centre, size / 2, colours[type]);
    const ImVec2 text = ImGui::CalcTextSize(marks[type]);
    draw->AddText(ImVec2(centre.x - text.x / 2, centre.y - text.y / 2), IM_COL32_WHITE, marks[type]);
    ImGui::Dummy(ImVec2(size, size));
    ImGui::SameLine();
}

}  // namespace

void draw_open_alert(float scale) {
    const auto alerts = open_alerts();
    if (alerts.empty()) return;
    const OpenAlert& alert = alerts.front();
    const std::string id = alert.title + "##alert" + std::to_string(alert.id);
    if (!ImGui::IsPopupOpen(id.c_str())) ImGui::OpenPopup(id.c_str());
    // As wide as the window allows; long lines wrap, and a text too tall for
    // the window scrolls.
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const ImGuiStyle& style = ImGui::GetStyle();
    ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(display.x - 8 * scale, 0), ImGuiCond_Always);
    if (!ImGui::BeginPopupModal(id.c_str(), nullptr,
                                ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings))
        return;
    draw_alert_icon(alert.type, 24 * scale);
    const std::string text = expand_tabs(alert.text);
    const float textWidth = ImGui::GetContentRegionAvail().x;
    const float textHeight = ImGui::CalcTextSize(text.c_str(), nullptr, false, textWidth).y;
    const float room = display.y - 8 * scale - ImGui::GetFrameHeight() - ImGui::GetFrameHeightWithSpacing() -
                       2 * style.WindowPadding.y - style.ItemSpacing.y;
    const bool scrolls = textHeight > room;
    if (scrolls) ImGui::BeginChild("##text", ImVec2(textWidth, std::max(room, ImGui::GetFontSize())));
    else ImGui::BeginGroup();
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopTextWrapPos();
    if (scrolls) ImGui::EndChild();
    else ImGui::EndGroup();
    const float buttonWidth = 60 * scale;
    const float spacing = style.ItemSpacing.x;
    const float row = buttonWidth * alert.buttons.size() + spacing * (alert.buttons.size() - 1);
    ImGui::SetCursorPosX(std::max(ImGui::GetCursorPosX(), ImGui::GetWindowContentRegionMax().x - row));
    for (size_t i = 0; i < alert.buttons.size(); ++i) {
        if (i) ImGui::SameLine();
        if (ImGui::Button(alert.buttons[i].c_str(), ImVec2(buttonWidth, 0))) answer_alert(alert.id, static_cast<int32>(i));
    }
    ImGui::EndPopup();
}

}  // namespace kit
