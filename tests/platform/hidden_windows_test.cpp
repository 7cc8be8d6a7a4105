// ImGui windows left out of the drawing: the software renderer's picture of a
// frame without them must be the picture of the whole frame, pixel for pixel,
// and only the windows wholly behind an opaque one may be left out.
#include "hidden_windows.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include <cstring>
#include <string>
#include <vector>

#include "backends/imgui_impl_sdlrenderer.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;

struct Place {
    const char* title;
    float left, top, width, height;
};

class HiddenWindows : public testing::Test {
protected:
    void SetUp() override {
        fSurface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_NE(fSurface, nullptr) << SDL_GetError();
        fRenderer = SDL_CreateSoftwareRenderer(fSurface);
        ASSERT_NE(fRenderer, nullptr) << SDL_GetError();
        fContext = ImGui::CreateContext();
        ImGui::StyleColorsLight();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(kWidth, kHeight);
        io.DeltaTime = 1.0f / 60;
        ImGui_ImplSDLRenderer_Init(fRenderer);
    }
    void TearDown() override {
        if (fContext) {
            ImGui_ImplSDLRenderer_Shutdown();
            ImGui::DestroyContext(fContext);
        }
        if (fRenderer) SDL_DestroyRenderer(fRenderer);
        if (fSurface) SDL_FreeSurface(fSurface);
    }

    // Draws the windows back to front (the later over the earlier), twice so
    // that their places hold, and leaves ImGui's draw data for them.
    ImDrawData& frame(const std::vector<Place>& places) {
        for (int pass = 0; pass < 2; ++pass) {
            ImGui_ImplSDLRenderer_NewFrame();
            ImGui::NewFrame();
            for (const Place& p : places) {
                ImGui::SetNextWindowPos(ImVec2(p.left, p.top), ImGuiCond_Always);
                ImGui::SetNextWindowSize(ImVec2(p.width, p.height), ImGuiCond_Always);
                ImGui::SetNextWindowFocus();
                ImGui::Begin(p.title);
                for (int line = 0; line < 12; ++line) ImGui::Text("%s, line %d", p.title, line);
                ImGui::End();
            }
            ImGui::Render();
        }
        return *ImGui::GetDrawData();
    }

    std::vector<uint32_t> picture(ImDrawData& data) {
        SDL_SetRenderDrawColor(fRenderer, 40, 80, 120, 255);
        SDL_RenderClear(fRenderer);
        ImGui_ImplSDLRenderer_RenderDrawData(&data);
        SDL_RenderFlush(fRenderer);
        std::vector<uint32_t> pixels(kWidth * kHeight);
        std::memcpy(pixels.data(), fSurface->pixels, pixels.size() * 4);
        return pixels;
    }

    // The titles of the windows whose lists `data` holds, back to front.
    static std::string titles(const ImDrawData& data) {
        std::string text;
        for (int i = 0; i < data.CmdListsCount; ++i) text += std::string(text.empty() ? "" : ", ") + data.CmdLists[i]->_OwnerName;
        return text;
    }

    SDL_Surface* fSurface = nullptr;
    SDL_Renderer* fRenderer = nullptr;
    ImGuiContext* fContext = nullptr;
};

}  // namespace

TEST_F(HiddenWindows, OnlyWhatCannotBeSeenIsLeftOut) {
    const struct {
        const char* what;
        std::vector<Place> places;
        const char* drawn;  // the lists kept, back to front
    } rows[] = {
        {"stacked in one place", {{"A", 20, 20, 200, 150}, {"B", 20, 20, 200, 150}, {"C", 20, 20, 200, 150}}, "C"},
        {"inside, and a pixel out", {{"A", 40, 40, 100, 80}, {"B", 19, 20, 200, 150}, {"C", 20, 20, 200, 150}}, "B, C"},
        {"side by side", {{"A", 0, 0, 150, 100}, {"B", 150, 0, 150, 100}}, "A, B"},
        {"in front of a larger one", {{"A", 0, 0, 300, 200}, {"B", 50, 50, 60, 60}}, "A, B"},
    };
    for (const auto& r : rows) {
        ImDrawData& data = frame(r.places);
        const std::vector<uint32_t> whole = picture(data);
        kit::leave_out_hidden_windows(data);
        EXPECT_EQ(titles(data), r.drawn) << r.what;
        int vertices = 0;
        for (int i = 0; i < data.CmdListsCount; ++i) vertices += data.CmdLists[i]->VtxBuffer.Size;
        EXPECT_EQ(data.TotalVtxCount, vertices) << r.what;
        EXPECT_TRUE(picture(data) == whole) << r.what << ": the picture changed";
    }
}
