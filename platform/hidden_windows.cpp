#include "hidden_windows.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <cmath>
#include <unordered_map>
#include <vector>

#include "window_layout.h"

namespace kit {

namespace {

// A window's background hides what lies behind it when it is drawn whole:
// square corners, no transparency, and no part of it other than a plain
// window's (a child, popup or tooltip, or a menu bar in its own colour).
bool hides_what_is_behind(const ImGuiWindow& window, const ImGuiStyle& style) {
    constexpr ImGuiWindowFlags kNotPlain = ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_ChildWindow |
                                           ImGuiWindowFlags_Popup | ImGuiWindowFlags_Tooltip |
                                           ImGuiWindowFlags_MenuBar;
    return !(window.Flags & kNotPlain) && style.Alpha >= 1.0f && style.WindowRounding == 0.0f &&
           style.Colors[ImGuiCol_WindowBg].w >= 1.0f;
}

// The pixels a window may touch; a window between whole pixels is taken as
// not hiding anything.
Layer layer_of_window(const ImGuiWindow& window, const ImGuiStyle& style) {
    const ImRect& r = window.OuterRectClipped;
    const int left = static_cast<int>(std::floor(r.Min.x)), top = static_cast<int>(std::floor(r.Min.y));
    const int right = static_cast<int>(std::ceil(r.Max.x)), bottom = static_cast<int>(std::ceil(r.Max.y));
    const bool whole = left == r.Min.x && top == r.Min.y && right == r.Max.x && bottom == r.Max.y;
    return {{left, top, right - left, bottom - top}, whole && hides_what_is_behind(window, style)};
}

}  // namespace

void leave_out_hidden_windows(ImDrawData& data) {
    const ImGuiContext& context = *ImGui::GetCurrentContext();
    std::unordered_map<const ImDrawList*, const ImGuiWindow*> owners;
    for (const ImGuiWindow* window : context.Windows) owners[window->DrawList] = window;
    // The context's own lists (under and over every window) are never left out.
    std::vector<Layer> layers;
    layers.reserve(static_cast<size_t>(data.CmdListsCount));
    for (int i = 0; i < data.CmdListsCount; ++i) {
        const auto owner = owners.find(data.CmdLists[i]);
        layers.push_back(owner == owners.end() ? Layer{{-1, -1, 1 << 30, 1 << 30}, false}
                                               : layer_of_window(*owner->second, context.Style));
    }
    const std::vector<bool> hidden = hidden_layers(layers);
    int kept = 0;
    for (int i = 0; i < data.CmdListsCount; ++i) {
        ImDrawList* list = data.CmdLists[i];
        if (hidden[static_cast<size_t>(i)]) {
            data.TotalVtxCount -= list->VtxBuffer.Size;
            data.TotalIdxCount -= list->IdxBuffer.Size;
        } else {
            data.CmdLists[kept++] = list;
        }
    }
    data.CmdListsCount = kept;
}

}  // namespace kit
