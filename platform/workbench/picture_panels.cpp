// The picture panels: the sprite list as a table beside the picture (the
// selected sprite outlined, the sprites under the pointer named), palette
// RAM as swatches, and the graphics' tiles through a chosen bank.
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "colours.h"
#include "machine.h"
#include "memory_map.h"
#include "sprite_table.h"
#include "workbench_view.h"

namespace workbench {

namespace {

constexpr int kPictureSlot = 1, kTilesSlot = 2, kSpriteSlot = 3;

ImU32 colourOf(uint16_t pixel) {
    const auto widen = [](unsigned five) { return (five << 3) | (five >> 2); };
    return IM_COL32(widen(pixel >> 10 & 31), widen(pixel >> 5 & 31), widen(pixel & 31), 255);
}

void spriteTable(PanelState& state, const std::vector<SpriteRow>& rows) {
    ImGui::Checkbox("Drawn only", &state.onlyDrawn);
    const ImGuiTableFlags flags = ImGuiTableFlags_ScrollY | ImGuiTableFlags_ScrollX | ImGuiTableFlags_RowBg |
                                  ImGuiTableFlags_BordersOuter | ImGuiTableFlags_SizingFixedFit;
    if (!ImGui::BeginTable("sprites", 8, flags)) return;  // as many rows as the panel holds
    ImGui::TableSetupScrollFreeze(0, 1);
    for (const char* heading : {"#", "X", "Y", "Tile", "Bank", "Flip", "Chain", "Shown"}) ImGui::TableSetupColumn(heading);
    ImGui::TableHeadersRow();
    std::vector<const SpriteRow*> shown;
    int selected = -1;
    for (const SpriteRow& row : rows) {
        if (!row.drawn && state.onlyDrawn) continue;
        if (row.index == state.selectedSprite) selected = static_cast<int>(shown.size());
        shown.push_back(&row);
    }
    const float rowHeight = ImGui::GetTextLineHeight() + 2 * ImGui::GetStyle().CellPadding.y;
    if (state.spriteScroll && selected >= 0) {  // the selection in the middle of the rows shown
        ImGui::SetScrollY(std::max(0.0f, (static_cast<float>(selected) + 1.5f) * rowHeight - ImGui::GetWindowHeight() / 2));
        state.spriteScroll = false;
    }
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(shown.size()), rowHeight);
    while (clipper.Step()) for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
        const SpriteRow& row = *shown[i];
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        char label[8];
        std::snprintf(label, sizeof label, "%d", row.index);
        if (ImGui::Selectable(label, state.selectedSprite == row.index, ImGuiSelectableFlags_SpanAllColumns))
            state.selectedSprite = row.index;
        ImGui::TableNextColumn();
        ImGui::Text("%d", row.left);
        ImGui::TableNextColumn();
        ImGui::Text("%d", row.top);
        ImGui::TableNextColumn();
        ImGui::Text("0x%03X", row.tile);
        ImGui::TableNextColumn();
        ImGui::Text("%u", row.bank);
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(row.flipX ? (row.flipY ? "XY" : "X") : (row.flipY ? "Y" : "-"));
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(row.chained ? "chained" : "-");
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(!row.drawn ? "hidden" : row.clipped ? "clipped" : "drawn");
    }
    ImGui::EndTable();
}

// The selected sprite magnified as drawn (flips applied), its 16 colours
// beside it, and where its entry is.
void selectedSprite(PanelState& state, const Snapshot& s, const std::vector<SpriteRow>& rows,
                    ImmediateCanvas& canvas) {
    if (state.selectedSprite < 0 || state.selectedSprite >= static_cast<int>(rows.size())) {
        ImGui::TextDisabled("Click a sprite on the picture.");
        return;
    }
    const SpriteRow& row = rows[state.selectedSprite];
    uint16_t tile[kTilePixels], drawn[kTilePixels];
    const std::span<const uint8_t> graphics = s.graphics ? std::span<const uint8_t>(*s.graphics) : std::span<const uint8_t>();
    decodeTile(graphics, row.tile, s.state.drawingPalette, row.bank, 0, tile);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) drawn[y * 16 + x] = tile[(row.flipY ? 15 - y : y) * 16 + (row.flipX ? 15 - x : x)];
    const float zoom = scaled(6);
    if (void* texture = canvas.Texture(kSpriteSlot, 16, 16, drawn)) ImGui::Image(texture, ImVec2(16 * zoom, 16 * zoom));
    ImGui::SameLine();
    ImGui::BeginGroup();
    ImGui::Text("Sprite %d at 0x%06X", row.index,
                address_map::kSpriteRam.low + static_cast<unsigned>(row.index * kSpriteEntryWords * 2));
    ImGui::Text("tile 0x%03X, bank %u", row.tile, row.bank);
    ImGui::Text("x %d, y %d", row.left, row.top);
    const float cell = scaled(12);
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (int n = 0; n < 16; ++n) {
        const ImVec2 a(origin.x + (n % 8) * (cell + scaled(2)), origin.y + (n / 8) * (cell + scaled(2)));
        draw->AddRectFilled(a, ImVec2(a.x + cell, a.y + cell), colourOf(s.state.drawingPalette[16 * row.bank + n]));
    }
    ImGui::Dummy(ImVec2(8 * (cell + scaled(2)), 2 * (cell + scaled(2))));
    ImGui::EndGroup();
}

}  // namespace

// The picture with the selected sprite magnified below it, the table beside.
void drawSpritesPanel(PanelState& state, const Snapshot& s, ImmediateCanvas& canvas) {
    const float zoom = scaled(1);
    const auto rows = decodeSpriteList(s.state.spriteRam);
    ImGui::BeginGroup();
    void* texture = canvas.Texture(kPictureSlot, kScreenWidth, kScreenHeight,
                                   s.picture.size() == size_t{kScreenWidth * kScreenHeight} ? s.picture.data() : nullptr);
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const ImVec2 size(kScreenWidth * zoom, kScreenHeight * zoom);
    if (texture) ImGui::Image(texture, size);
    else ImGui::Dummy(size);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    if (state.selectedSprite >= 0 && state.selectedSprite < static_cast<int>(rows.size())) {
        const SpriteRow& row = rows[state.selectedSprite];
        if (row.drawn) {
            const ImVec2 a(origin.x + row.left * zoom, origin.y + row.top * zoom);
            draw->PushClipRect(origin, ImVec2(origin.x + size.x, origin.y + size.y), true);
            draw->AddRect(a, ImVec2(a.x + 16 * zoom, a.y + 16 * zoom), IM_COL32(255, 0, 255, 255), 0, 0, 2.0f);
            draw->PopClipRect();
        }
    }
    if (ImGui::IsItemHovered()) {
        const ImVec2 mouse = ImGui::GetMousePos();
        const int x = static_cast<int>((mouse.x - origin.x) / zoom);
        const int y = static_cast<int>((mouse.y - origin.y) / zoom);
        const std::vector<int> under = spritesAt(rows, x, y);
        if (ImGui::IsItemClicked(ImGuiMouseButton_Left) && !under.empty()) {
            state.selectedSprite = under.back();  // drawn last, on top
            state.spriteScroll = true;
        }
        std::string names;
        for (int index : under) names += " " + std::to_string(index);
        ImGui::SetTooltip("(%d, %d) sprites:%s%s", x, y, names.empty() ? " none" : names.c_str(),
                          names.empty() ? "" : "\nclick: the one on top");
    }
    selectedSprite(state, s, rows, canvas);
    ImGui::EndGroup();
    ImGui::SameLine();
    ImGui::BeginGroup();
    spriteTable(state, rows);
    ImGui::EndGroup();
}

void drawPalettesPanel(PanelState&, const Snapshot& s) {
    const float cell = scaled(14);
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (int n = 0; n < kPaletteEntries; ++n) {
        const ImVec2 a(origin.x + (n % 16) * (cell + scaled(2)), origin.y + (n / 16) * (cell + scaled(2)));
        draw->AddRectFilled(a, ImVec2(a.x + cell, a.y + cell), colourOf(pixelOf(paletteWord(s.state.paletteRam, n))));
    }
    const ImVec2 size(16 * (cell + scaled(2)), 16 * (cell + scaled(2)));
    ImGui::Dummy(size);
    if (ImGui::IsItemHovered()) {
        const ImVec2 mouse = ImGui::GetMousePos();
        const int column = static_cast<int>((mouse.x - origin.x) / (cell + scaled(2)));
        const int row = static_cast<int>((mouse.y - origin.y) / (cell + scaled(2)));
        if (column >= 0 && column < 16 && row >= 0 && row < 16) {
            const int n = row * 16 + column;
            ImGui::SetTooltip("%s", colourName(n, paletteWord(s.state.paletteRam, n)).c_str());
        }
    }
    ImGui::TextDisabled("Palette RAM as the program wrote it; bank b is row b.");
}

void drawGraphicsPanel(PanelState& state, const Snapshot& s, ImmediateCanvas& canvas) {
    ImGui::SetNextItemWidth(scaled(100));
    ImGui::SliderInt("Bank", &state.graphicsBank, 0, 15);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(100));
    ImGui::SliderInt("Page", &state.graphicsPage, 0, 15);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(80));
    ImGui::SliderInt("Zoom", &state.graphicsZoom, 1, 4);
    // One page: 256 tiles, 16 a row.
    std::vector<uint16_t> pixels(256 * 256);
    uint16_t tile[kTilePixels];
    const std::span<const uint8_t> graphics = s.graphics ? std::span<const uint8_t>(*s.graphics) : std::span<const uint8_t>();
    for (int t = 0; t < 256; ++t) {
        decodeTile(graphics, static_cast<unsigned>(state.graphicsPage * 256 + t), s.state.drawingPalette,
                   static_cast<unsigned>(state.graphicsBank), 0, tile);
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c) pixels[((t / 16) * 16 + r) * 256 + (t % 16) * 16 + c] = tile[r * 16 + c];
    }
    void* texture = canvas.Texture(kTilesSlot, 256, 256, pixels.data());
    const float zoom = scaled(static_cast<float>(state.graphicsZoom));
    ImGui::BeginChild("tiles", ImVec2(0, 0), false, ImGuiWindowFlags_HorizontalScrollbar);
    const ImVec2 inner = ImGui::GetCursorScreenPos();
    if (texture) ImGui::Image(texture, ImVec2(256 * zoom, 256 * zoom));
    if (ImGui::IsItemHovered()) {
        const ImVec2 mouse = ImGui::GetMousePos();
        const int column = static_cast<int>((mouse.x - inner.x) / (16 * zoom));
        const int row = static_cast<int>((mouse.y - inner.y) / (16 * zoom));
        if (column >= 0 && column < 16 && row >= 0 && row < 16)
            ImGui::SetTooltip("tile %03X", state.graphicsPage * 256 + row * 16 + column);
    }
    ImGui::EndChild();
}

namespace {

void drawWatchpoints(PanelState& state, const Snapshot& s, Controller& controller) {
    ImGui::Separator();
    ImGui::TextUnformatted("Watchpoints: the 68000 stops after an access to the bytes watched");
    ImGui::SetNextItemWidth(scaled(140));
    ImGui::InputTextWithHint("##watch", "address or symbol", state.watchAddress, sizeof state.watchAddress);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(60));
    ImGui::InputInt("bytes", &state.watchLength, 0);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(scaled(70));
    ImGui::Combo("##kind", &state.watchKind, "read\0write\0both\0");
    ImGui::SameLine();
    const auto symbols = controller.symbols();
    if (ImGui::Button("Watch")) {
        std::string error;
        if (const auto address = parseAddress(state.watchAddress, symbols.get(), error)) {
            Command c;
            c.kind = CommandKind::SetWatchpoint;
            c.address = *address;
            c.value = state.watchLength > 0 ? static_cast<uint32_t>(state.watchLength) : 0;
            c.index = state.watchKind + 1;  // read 1, write 2, both 3
            controller.post(c);
            state.note.clear();
        } else {
            state.note = error;
        }
    }
    static const char* const kKinds[] = {"", "read", "write", "read and write"};
    for (const Snapshot::Watchpoint& w : s.watchpoints) {
        ImGui::PushID(static_cast<int>(w.address * 4 + w.kinds));
        if (ImGui::SmallButton("Remove")) {
            Command c;
            c.kind = CommandKind::ClearWatchpoint;
            c.address = w.address;
            c.value = w.length;
            c.index = w.kinds;
            controller.post(c);
        }
        ImGui::SameLine();
        const std::string name = symbols ? symbols->describe(w.address) : "";
        ImGui::Text("%06X, %u bytes, %s %s", w.address, w.length, kKinds[w.kinds & 3], name.c_str());
        ImGui::PopID();
    }
}

}  // namespace

void drawBreakpointsPanel(PanelState& state, const Snapshot& s, Controller& controller) {
    ImGui::SetNextItemWidth(scaled(160));
    const bool entered = ImGui::InputTextWithHint("##add", "address or symbol", state.breakpointAddress,
                                                  sizeof state.breakpointAddress, ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    const auto symbols = controller.symbols();
    if (ImGui::Button("Add") || entered) {
        std::string error;
        if (const auto address = parseAddress(state.breakpointAddress, symbols.get(), error)) {
            if (std::find(s.breakpoints.begin(), s.breakpoints.end(), *address) == s.breakpoints.end()) {
                Command c;
                c.kind = CommandKind::ToggleBreakpoint;
                c.address = *address;
                controller.post(c);
            }
            state.note.clear();
        } else {
            state.note = error;
        }
    }
    ImGui::TextDisabled("Shared with gdb (--gdb): one set in either is in both.");
    for (uint32_t address : s.breakpoints) {
        ImGui::PushID(static_cast<int>(address));
        if (ImGui::SmallButton("Remove")) {
            Command c;
            c.kind = CommandKind::ToggleBreakpoint;
            c.address = address;
            controller.post(c);
        }
        ImGui::SameLine();
        const std::string name = symbols ? symbols->describe(address) : "";
        ImGui::Text("%06X %s", address, name.c_str());
        ImGui::PopID();
    }
    drawWatchpoints(state, s, controller);
}

}  // namespace workbench
