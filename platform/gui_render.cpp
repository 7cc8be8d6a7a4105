// Drawing a window: its views' colours and pictures with SDL, its menu bar
// and the open alert with Dear ImGui, at the scale the window's size allows.
#include <SDL.h>
#include <imgui.h>

#include <utility>

#include "alert_drawing.h"
#include "backends/imgui_impl_sdl.h"
#include "backends/imgui_impl_sdlrenderer.h"
#include "gui.h"
#include "gui_automation.h"
#include "gui_surface.h"
#include "hidden_windows.h"
#include "immediate_view.h"
#include "menu.h"
#include "menu_drawing.h"
#include "window.h"
#include "window_geometry.h"
#include "window_layout.h"

namespace kit {

namespace {

// The textures of one surface, for its immediate views.
class SurfaceCanvas final : public ImmediateCanvas {
public:
    explicit SurfaceCanvas(Surface& surface) : fSurface(surface) {}
    void* Texture(int slot, int width, int height, const uint16_t* pixels) override {
        if (width <= 0 || height <= 0 || !pixels) return nullptr;
        Surface::Canvas& canvas = fSurface.canvases[slot];
        if (canvas.texture && (canvas.width != width || canvas.height != height)) {
            SDL_DestroyTexture(canvas.texture);
            canvas.texture = nullptr;
        }
        if (!canvas.texture) {
            canvas.texture = SDL_CreateTexture(fSurface.renderer, SDL_PIXELFORMAT_RGB555, SDL_TEXTUREACCESS_STREAMING,
                                               width, height);
            canvas.width = width;
            canvas.height = height;
        }
        if (canvas.texture) SDL_UpdateTexture(canvas.texture, nullptr, pixels, width * 2);
        return canvas.texture;
    }

private:
    Surface& fSurface;
};

}  // namespace

void Gui::Render(Surface& surface, bool hostsAlerts) {
    SDL_Renderer* renderer = surface.renderer;
    GuiAutomation* automation = gui_automation();
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    const BRect frame = surface.window->Frame();
    const int frameWidth = frame.IntegerWidth() + 1, frameHeight = frame.IntegerHeight() + 1;
    const int ui = ui_scale(width, height, frameWidth, frameHeight, surface.preferredScale);
    const float scale = static_cast<float>(ui);
    ImGui::SetCurrentContext(surface.imgui);
    if (ui != surface.uiScale) {
        surface.uiScale = ui;
        ImGui::GetStyle() = surface.style;
        ImGui::GetStyle().ScaleAllSizes(scale);
        ImGui::GetIO().FontGlobalScale = scale;
    }
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    if (surface.pointerInside) ImGui::GetIO().MousePos = surface.pointer;
    float pointerX = 0, pointerY = 0;
    bool pointerDown = false;
    if (automation && automation->Pointer(surface.window, pointerX, pointerY, pointerDown)) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(pointerX * scale, pointerY * scale);
        io.MouseDown[0] = pointerDown;
    }
    ImGui::NewFrame();

    std::vector<Choice> choices;
    draw_menu_bar(surface.window, scale, std::exchange(surface.closeMenus, false), choices);
    SurfaceCanvas canvas(surface);
    for (BView* view : surface.window->Children())
        if (auto* immediate = dynamic_cast<BImmediateView*>(view)) immediate->DrawImmediate(canvas, width, height);
    if (hostsAlerts) draw_open_alert(scale);
    ImGui::Render();
    leave_out_hidden_windows(*ImGui::GetDrawData());
    drawn(surface);  // the input held for this draw goes to the next

    WindowGeometry geometry;
    geometry.width = width;
    geometry.height = height;
    geometry.uiScale = ui;
    geometry.menuBarHeight = surface.window->KeyMenuBar() ? static_cast<int>(kMenuBarHeight) * ui : 0;
    geometry.fullScreen = (SDL_GetWindowFlags(surface.sdlWindow) & SDL_WINDOW_FULLSCREEN) != 0;
    geometry.title = surface.title;

    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    for (BView* view : surface.window->Children()) {
        if (dynamic_cast<BMenu*>(view)) continue;
        const BRect place = view->Frame();
        const Box area = view->ResizingMode() == B_FOLLOW_ALL_SIDES
                             ? follow_all_sides(place, frameWidth, frameHeight, width, height, ui)
                             : Box{static_cast<int>(place.left) * ui, static_cast<int>(place.top) * ui,
                                   (place.IntegerWidth() + 1) * ui, (place.IntegerHeight() + 1) * ui};
        const SDL_Rect areaRect{area.left, area.top, area.width, area.height};
        const rgb_color colour = view->ViewColor();
        SDL_SetRenderDrawColor(renderer, colour.red, colour.green, colour.blue, 255);
        SDL_RenderFillRect(renderer, &areaRect);
        auto& picture = surface.pictures[view];
        const int oldWidth = picture.drawn.width, oldHeight = picture.drawn.height;
        if (view->CopyDrawnPicture(picture.drawn)) {
            if (picture.texture && (oldWidth != picture.drawn.width || oldHeight != picture.drawn.height)) {
                SDL_DestroyTexture(picture.texture);
                picture.texture = nullptr;
            }
            if (!picture.texture)
                picture.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB555, SDL_TEXTUREACCESS_STREAMING,
                                                    picture.drawn.width, picture.drawn.height);
            if (picture.texture)
                SDL_UpdateTexture(picture.texture, nullptr, picture.drawn.pixels.data(), picture.drawn.bytesPerRow);
        }
        ViewGeometry placed{area, {area.left, area.top, 0, 0}};
        if (picture.texture && picture.drawn.serial) {
            const picture_scaling scaling = view->PictureScaling();
            placed.picture = scaling == B_PICTURE_UNSCALED
                                 ? Box{area.left + static_cast<int>(picture.drawn.where.x * scale),
                                       area.top + static_cast<int>(picture.drawn.where.y * scale),
                                       picture.drawn.width * ui, picture.drawn.height * ui}
                                 : fit_picture(area, picture.drawn.width, picture.drawn.height, scaling);
            const SDL_Rect target{placed.picture.left, placed.picture.top, placed.picture.width, placed.picture.height};
            SDL_RenderSetClipRect(renderer, &areaRect);
            SDL_RenderCopy(renderer, picture.texture, nullptr, &target);
            SDL_RenderSetClipRect(renderer, nullptr);
        }
        geometry.views.push_back(placed);
    }
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    if (automation) automation->Drawn(surface.window, std::move(geometry), renderer);
    SDL_RenderPresent(renderer);

    for (Choice& choice : choices) choice.target->PostMessage(&choice.message);
}

}  // namespace kit
