#include "menu_drawing.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "menu.h"
#include "menu_geometry.h"
#include "menu_placement.h"
#include "window.h"

// The menu bar's own menus are ImGui's; the submenus inside them are popups
// of our own, so that we decide where they open: ImGui puts a submenu over
// its parent when the window is too narrow for it on either side, and this
// window is only 256 pixels wide at scale 1.

namespace kit {

namespace {

std::mutex gGeometryLock;
std::map<BWindow*, MenuGeometry> gGeometry;  // guarded by gGeometryLock

// Which submenus are open, per window. Main thread only.
struct MenuState {
    std::vector<int> open;        // per depth: index of the item whose submenu is open, -1: none
    std::vector<ImVec2> sizes;    // per depth: last whole size of the submenu open from that depth
    std::vector<ImRect> frames;   // per depth: where that submenu was drawn
};
std::map<BWindow*, MenuState> gStates;

// Records one frame's menus while they are drawn.
class Recorder {
public:
    explicit Recorder(float scale) : fScale(scale) {}

    MenuBox Box(const ImRect& r) const {
        return {r.Min.x / fScale, r.Min.y / fScale, r.Max.x / fScale, r.Max.y / fScale};
    }
    // The current ImGui window is a menu opened from `title`.
    int OpenMenu(const char* title, int parent) {
        const ImGuiWindow* window = ImGui::GetCurrentWindow();
        kit::OpenMenu menu;
        menu.title = title;
        menu.parent = parent;
        menu.frame = Box(window->Rect());
        fGeometry.menus.push_back(std::move(menu));
        return static_cast<int>(fGeometry.menus.size()) - 1;
    }
    void Item(int menu, const char* label, const ImRect& area) {
        fGeometry.menus[menu].items.push_back(Box(area));
        fGeometry.menus[menu].labels.emplace_back(label);
    }
    void Title(const char* label) {
        fGeometry.titles.push_back(Box(ImRect(ImGui::GetItemRectMin(), ImGui::GetItemRectMax())));
        fGeometry.titleLabels.emplace_back(label);
    }
    MenuGeometry& Geometry() { return fGeometry; }

private:
    float fScale;
    MenuGeometry fGeometry;
};

// What drawing the menus of one window needs.
struct Drawing {
    BWindow* window;
    MenuState& state;
    Recorder& recorder;
    std::vector<Choice>& choices;
    bool closeAll = false;  // a choice was made: every menu closes at the next frame
};

const ImVec4 kShortcutColour(0.33f, 0.33f, 0.33f, 1.0f);
// Menus hide what lies under them: ImGui's light style draws them in white
// at 98 % opacity, through which the picture's text shows. Opaque, in the
// grey that white gave over black (0xFAFAFA, which no 15-bit colour of the
// picture is).
const ImVec4 kMenuBackground(0.98f, 0.98f, 0.98f, 1.0f);

// Closes every open menu. ImGui asserts when asked to close popups that are
// not open, and a plain item of a menu bar's menu has already closed its
// whole chain by the time its click is seen.
void close_all_menus() {
    if (GImGui->OpenPopupStack.Size > 0) ImGui::ClosePopupToLevel(0, true);
}

// Menus taller than the window scroll instead of leaving it.
void limit_next_menu_height(float height) {
    ImGui::SetNextWindowSizeConstraints(ImVec2(0, 0), ImVec2(FLT_MAX, height));
}

// An item that opens a submenu, drawn like ImGui's own: its label and an
// arrow in the column of the check marks. True while it is hovered.
bool submenu_item(const char* label, bool open, bool enabled) {
    ImGuiContext& g = *GImGui;
    ImGuiWindow* window = ImGui::GetCurrentWindow();
    const ImVec2 labelSize = ImGui::CalcTextSize(label, nullptr, true);
    const float markWidth = IM_FLOOR(g.FontSize * 1.20f);
    const float minWidth = window->DC.MenuColumns.DeclColumns(0.0f, labelSize.x, 0.0f, markWidth);
    const float extraWidth = std::max(0.0f, ImGui::GetContentRegionAvail().x - minWidth);
    const ImVec2 pos = window->DC.CursorPos;
    const float baseline = pos.y + window->DC.CurrLineTextBaseOffset;
    ImGuiSelectableFlags flags = ImGuiSelectableFlags_DontClosePopups;
    flags |= ImGuiSelectableFlags_SpanAvailWidth;
    if (!enabled) flags |= ImGuiSelectableFlags_Disabled;
    ImGui::Selectable("##submenu", open, flags, ImVec2(minWidth, 0.0f));
    const bool hovered = enabled && ImGui::IsItemHovered();
    const ImU32 colour = ImGui::GetColorU32(enabled ? ImGuiCol_Text : ImGuiCol_TextDisabled);
    window->DrawList->AddText(ImVec2(pos.x + window->DC.MenuColumns.OffsetLabel, baseline), colour, label,
                              ImGui::FindRenderedTextEnd(label));
    ImGui::RenderArrow(window->DrawList,
                       ImVec2(pos.x + window->DC.MenuColumns.OffsetMark + extraWidth + g.FontSize * 0.30f, baseline),
                       colour, ImGuiDir_Right);
    return hovered;
}

// Whether the pointer, since the last frame, moves from the open submenu's
// item toward the submenu: then the items it crosses on its way do not take
// the submenu's place.
bool heading_for(const ImRect& submenu) {
    const ImGuiIO& io = ImGui::GetIO();
    const ImVec2 now = io.MousePos;
    const ImVec2 before(now.x - io.MouseDelta.x, now.y - io.MouseDelta.y);
    if (submenu.GetWidth() <= 0 || (io.MouseDelta.x == 0 && io.MouseDelta.y == 0)) return false;
    // The triangle from the previous position to the submenu's near edge.
    ImVec2 a, b;
    if (submenu.Min.x >= before.x) a = submenu.GetTL(), b = submenu.GetBL();
    else if (submenu.Max.x <= before.x) a = submenu.GetTR(), b = submenu.GetBR();
    else if (submenu.Min.y >= before.y) a = submenu.GetTL(), b = submenu.GetTR();
    else a = submenu.GetBL(), b = submenu.GetBR();
    return ImTriangleContainsPoint(before, a, b, now);
}

void draw_menu(BMenu* menu, Drawing& d, int depth, int record);

// ImGui starts every shortcut of a menu at the same column; desktop menus
// end them at the same place. Blanks before the narrower ones do that (the
// font's glyphs are all as wide as a blank).
float widest_shortcut(BMenu* menu) {
    float widest = 0;
    for (int32 i = 0; i < menu->CountItems(); ++i)
        widest = std::max(widest, ImGui::CalcTextSize(menu->ItemAt(i)->ShortcutText().c_str()).x);
    return widest;
}

std::string right_aligned(std::string shortcut, float width) {
    const float blank = ImGui::CalcTextSize(" ").x;
    if (shortcut.empty() || blank <= 0) return shortcut;
    const float missing = width - ImGui::CalcTextSize(shortcut.c_str()).x;
    return std::string(static_cast<size_t>(std::max(0.0f, missing / blank + 0.5f)), ' ') + shortcut;
}

// The submenu open from the item `index` of the menu at `depth`.
void draw_submenu(BMenu* submenu, const char* label, int index, const ImRect& item, Drawing& d, int depth,
                  int record) {
    ImGuiWindow* parent = ImGui::GetCurrentWindow();
    const ImGuiStyle& style = ImGui::GetStyle();
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float barBottom = ImGui::GetFrameHeight();
    const ImVec2 size = d.state.sizes[depth];
    const float itemHeight = ImGui::GetFrameHeight();
    const SubmenuPlace place =
        place_submenu({0, barBottom, display.x, display.y},
                      {parent->Pos.x, parent->Pos.y, parent->Pos.x + parent->Size.x, parent->Pos.y + parent->Size.y},
                      {item.Min.x, item.Min.y - style.WindowPadding.y, item.Max.x, item.Max.y}, size.x, size.y,
                      3 * itemHeight + 2 * style.WindowPadding.y);

    char id[32];
    std::snprintf(id, sizeof id, "##submenu%d", index);
    const ImGuiID popup = parent->GetID(id);
    if (!ImGui::IsPopupOpen(popup, ImGuiPopupFlags_None)) ImGui::OpenPopupEx(popup, ImGuiPopupFlags_None);
    ImGui::SetNextWindowPos(ImVec2(place.x, place.y), ImGuiCond_Always);
    limit_next_menu_height(place.maxHeight);
    // A child of the menu it opens from, as ImGui's own submenus are: a
    // popup of its own would take the focus and leave the menus below it
    // blind to the pointer, so that moving to another item would not open
    // that item's submenu. (Not ImGuiWindowFlags_ChildMenu: ImGui would then
    // place it itself.)
    const ImGuiWindowFlags flags = ImGuiWindowFlags_ChildWindow | ImGuiWindowFlags_AlwaysAutoResize |
                                   ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoTitleBar |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoNavFocus;
    if (!ImGui::BeginPopupEx(popup, flags)) {  // closed by ImGui (a click elsewhere)
        d.state.open[depth] = -1;
        return;
    }
    ImGuiWindow* window = ImGui::GetCurrentWindow();
    // The whole size, however much of it shows, for the next frame's place.
    d.state.sizes[depth] = ImVec2(window->Size.x, window->ContentSize.y + 2 * window->WindowPadding.y);
    d.state.frames[depth] = window->Rect();
    const int child = d.recorder.OpenMenu(label, record);
    draw_menu(submenu, d, depth + 1, child);
    ImGui::EndPopup();
}

// The items of a menu, drawn in the current ImGui window (the menu's popup).
void draw_menu(BMenu* menu, Drawing& d, int depth, int record) {
    MenuState& s = d.state;
    if (static_cast<int>(s.open.size()) <= depth) {
        s.open.resize(depth + 1, -1);
        s.sizes.resize(depth + 1, ImVec2(0, 0));
        s.frames.resize(depth + 1, ImRect());
    }
    const bool heading = s.open[depth] >= 0 && heading_for(s.frames[depth]);
    BMenu* openSubmenu = nullptr;
    const char* openLabel = nullptr;
    ImRect openItem;
    ImGuiWindow* window = ImGui::GetCurrentWindow();
    const float shortcutWidth = widest_shortcut(menu);
    for (int32 i = 0; i < menu->CountItems(); ++i) {
        BMenuItem* item = menu->ItemAt(i);
        ImGui::PushID(i);
        const float top = window->DC.CursorPos.y;
        if (item->IsSeparator()) {
            ImGui::Separator();
        } else if (BMenu* sub = item->Submenu()) {
            const bool enabled = sub->IsEnabled();
            const bool hovered = submenu_item(item->Label(), s.open[depth] == i, enabled);
            if (hovered && s.open[depth] != i && !heading) {
                s.open[depth] = i;
                s.open.resize(depth + 1);  // nothing deeper stays open
                s.sizes[depth] = ImVec2(0, 0);
                s.frames[depth] = ImRect();
            }
            if (!enabled && s.open[depth] == i) s.open[depth] = -1;
        } else {
            const std::string shortcut = right_aligned(item->ShortcutText(), shortcutWidth);
            // ImGui draws shortcuts in the disabled items' grey, too faint
            // over a highlighted item: a darker grey, still apart from labels.
            ImGui::PushStyleColor(ImGuiCol_TextDisabled, kShortcutColour);
            const bool chosen = ImGui::MenuItem(item->Label(), shortcut.empty() ? nullptr : shortcut.c_str(),
                                                item->IsMarked(), item->IsEnabled());
            ImGui::PopStyleColor();
            if (chosen) {
                if (item->Message())
                    d.choices.push_back({item->Target() ? item->Target() : d.window, *item->Message()});
                d.closeAll = true;
            }
            if (ImGui::IsItemHovered() && s.open[depth] >= 0 && !heading) s.open[depth] = -1;
        }
        if (!item->IsSeparator()) {
            const ImRect area(window->Pos.x + ImGui::GetWindowContentRegionMin().x, top,
                              window->Pos.x + ImGui::GetWindowContentRegionMax().x, ImGui::GetItemRectMax().y);
            d.recorder.Item(record, item->Label(), area);
            if (s.open[depth] == i && item->Submenu()) {
                openSubmenu = item->Submenu();
                openLabel = item->Label();
                openItem = area;
            }
        }
        ImGui::PopID();
    }
    if (openSubmenu) draw_submenu(openSubmenu, openLabel, s.open[depth], openItem, d, depth, record);
}

}  // namespace

void draw_menu_bar(BWindow* window, float scale, bool closeMenus, std::vector<Choice>& choices) {
    Recorder recorder(scale);
    MenuState& state = gStates[window];
    Drawing d{window, state, recorder, choices};
    BMenuBar* bar = window->KeyMenuBar();
    if (bar) {
        if (closeMenus) close_all_menus();
        std::lock_guard held(menu_lock());
        bool anyOpen = false;
        ImGui::PushStyleColor(ImGuiCol_PopupBg, kMenuBackground);
        if (ImGui::BeginMainMenuBar()) {
            const float height = ImGui::GetIO().DisplaySize.y - ImGui::GetFrameHeight();
            for (int32 i = 0; i < bar->CountItems(); ++i) {
                BMenuItem* item = bar->ItemAt(i);
                ImGui::PushID(i);
                if (BMenu* menu = item->Submenu()) {
                    limit_next_menu_height(height);
                    if (ImGui::BeginMenu(item->Label(), menu->IsEnabled())) {
                        anyOpen = true;
                        const int record = recorder.OpenMenu(item->Label(), -1);
                        draw_menu(menu, d, 0, record);
                        ImGui::EndMenu();
                    }
                } else if (!item->IsSeparator()) {
                    if (ImGui::MenuItem(item->Label(), nullptr, item->IsMarked(), item->IsEnabled())) {
                        if (item->Message())
                            choices.push_back({item->Target() ? item->Target() : window, *item->Message()});
                    }
                }
                if (!item->IsSeparator()) recorder.Title(item->Label());
                ImGui::PopID();
            }
            ImGui::EndMainMenuBar();
        }
        ImGui::PopStyleColor();
        if (!anyOpen) state = MenuState();
    }
    if (d.closeAll) close_all_menus();
    std::lock_guard held(gGeometryLock);
    gGeometry[window] = std::move(recorder.Geometry());
}

void forget_menu_geometry(BWindow* window) {
    gStates.erase(window);
    std::lock_guard held(gGeometryLock);
    gGeometry.erase(window);
}

MenuGeometry menu_geometry(BWindow* window) {
    std::lock_guard held(gGeometryLock);
    auto found = gGeometry.find(window);
    return found == gGeometry.end() ? MenuGeometry{} : found->second;
}

}  // namespace kit
