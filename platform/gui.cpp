#include "gui.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <utility>
#include <atomic>
#include <cfloat>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>

#include "alert_queue.h"
#include "application.h"
#include "backends/imgui_impl_sdl.h"
#include "backends/imgui_impl_sdlrenderer.h"
#include "gui_wake.h"
#include "keep_libraries.h"
#include "kernel.h"
#include "key_state.h"
#include "menu.h"
#include "menu_drawing.h"
#include "menu_geometry.h"
#include "scancode_map.h"
#include "shortcut_keys.h"
#include "synthetic_input.h"
#include "window.h"
#include "window_geometry.h"
#include "window_layout.h"

namespace kit {

namespace {

std::atomic<bool> gRunning{false};
std::atomic<bool> gWakePending{false};
std::atomic<Uint32> gWakeEvent{0};

constexpr long long kMinRenderInterval = 8000;  // microseconds: at most 125 redraws a second
constexpr int kIdleWaitMs = 250;
constexpr float kMenuBarHeight = 18.0f;  // window pixels, above the views

long long now_us() { return static_cast<long long>(system_time()); }

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

// Captures asked for by other threads, served after the next draw.
struct CaptureRequest {
    BWindow* window;
    WindowCapture* capture;
    bool done = false;
    bool ok = false;
};
std::mutex gCaptureLock;
std::condition_variable gCaptureDone;
std::vector<CaptureRequest*> gCaptures;  // guarded by gCaptureLock

bool push_event(SDL_Event& event) {
    if (!gRunning.load(std::memory_order_acquire)) return false;
    return SDL_PushEvent(&event) > 0;
}

// Work asked for by other threads, done on the main thread at its next turn.
struct GuiRequest {
    std::function<bool(Gui&)> work;
    bool done = false;
    bool ok = false;
};
std::mutex gRequestLock;
std::condition_variable gRequestDone;
std::vector<GuiRequest*> gRequests;  // guarded by gRequestLock

// Runs `work` on the main thread and returns what it returned; false when the
// loop does not run or does not get to it in time.
bool run_on_gui(std::function<bool(Gui&)> work, int timeoutMs = 5000) {
    if (!gRunning.load(std::memory_order_acquire)) return false;
    GuiRequest request{std::move(work)};
    std::unique_lock held(gRequestLock);
    gRequests.push_back(&request);
    held.unlock();
    wake_gui();
    held.lock();
    const bool served = gRequestDone.wait_for(held, std::chrono::milliseconds(timeoutMs), [&] { return request.done; });
    if (!served) gRequests.erase(std::find(gRequests.begin(), gRequests.end(), &request));
    return served && request.ok;
}

// Done with the requests' lock held, so that no waiter gives up on a
// request while it runs.
void serve_requests(Gui& gui) {
    std::lock_guard held(gRequestLock);
    if (gRequests.empty()) return;
    for (GuiRequest* request : gRequests) {
        request->ok = request->work(gui);
        request->done = true;
    }
    gRequests.clear();
    gRequestDone.notify_all();
}

std::mutex gGeometryLock;
std::map<BWindow*, WindowGeometry> gGeometry;  // guarded by gGeometryLock

}  // namespace

WindowGeometry window_geometry(BWindow* window) {
    std::lock_guard held(gGeometryLock);
    const auto found = gGeometry.find(window);
    return found == gGeometry.end() ? WindowGeometry{} : found->second;
}

bool synthesize_resize(BWindow* window, int width, int height) {
    return run_on_gui([=](Gui& gui) { return gui.Resize(window, width, height); });
}

bool synthesize_drop(BWindow* window, const char* path) {
    const std::string dropped = path ? path : "";
    return run_on_gui([=](Gui& gui) { return gui.Drop(window, dropped.c_str()); });
}

int attach_virtual_gamepad(const char* name) {
    const std::string label = name ? name : "";
    int id = -1;
    run_on_gui([&](Gui& gui) { return (id = gui.Pads().AttachVirtual(label.c_str())) >= 0; });
    return id;
}

bool set_virtual_gamepad_control(int id, gamepad_control control, bool held) {
    return run_on_gui([=](Gui& gui) { return gui.Pads().SetVirtualControl(id, control, held); });
}

bool set_virtual_gamepad_stick(int id, int x, int y) {
    return run_on_gui([=](Gui& gui) { return gui.Pads().SetVirtualStick(id, x, y); });
}

bool detach_virtual_gamepad(int id) {
    return run_on_gui([=](Gui& gui) { return gui.Pads().DetachVirtual(id); });
}

bool synthesize_key(int scancode, bool down, uint32 modifiers) {
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES) return false;
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
    event.key.keysym.mod = static_cast<Uint16>(sdl_modifiers(modifiers));
    return push_event(event);
}

bool synthesize_close(BWindow* window) {
    SDL_Event event{};
    event.type = gWakeEvent.load(std::memory_order_relaxed);
    event.user.code = 1;  // the loop turns it into the window's close event
    event.user.data1 = window;
    return push_event(event);
}

bool synthesize_quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    return push_event(event);
}

namespace {
struct Pointer {
    float x, y;
    bool down;
};
std::mutex gPointerLock;
std::map<BWindow*, Pointer> gPointers;  // guarded by gPointerLock
}  // namespace

bool synthesize_pointer(BWindow* window, float x, float y, bool down) {
    if (!gRunning.load(std::memory_order_acquire)) return false;
    {
        std::lock_guard held(gPointerLock);
        gPointers[window] = {x, y, down};
    }
    wake_gui();
    return true;
}

void release_pointer(BWindow* window) {
    {
        std::lock_guard held(gPointerLock);
        gPointers.erase(window);
    }
    wake_gui();
}

bool capture_window(BWindow* window, WindowCapture& capture, int timeoutMs) {
    if (!gRunning.load(std::memory_order_acquire)) return false;
    CaptureRequest request{window, &capture};
    std::unique_lock held(gCaptureLock);
    gCaptures.push_back(&request);
    held.unlock();
    wake_gui();
    held.lock();
    const bool served = gCaptureDone.wait_for(held, std::chrono::milliseconds(timeoutMs),
                                              [&] { return request.done; });
    if (!served) gCaptures.erase(std::find(gCaptures.begin(), gCaptures.end(), &request));
    return served && request.ok;
}

void wake_gui() {
    if (!gRunning.load(std::memory_order_acquire)) return;
    if (gWakePending.exchange(true, std::memory_order_acq_rel)) return;
    SDL_Event event{};
    event.type = gWakeEvent.load(std::memory_order_relaxed);
    if (SDL_PushEvent(&event) <= 0) gWakePending.store(false, std::memory_order_release);
}

bool gui_running() { return gRunning.load(std::memory_order_acquire); }

struct Gui::Surface {
    BWindow* window = nullptr;
    SDL_Window* sdlWindow = nullptr;
    SDL_Renderer* renderer = nullptr;
    ImGuiContext* imgui = nullptr;
    ImGuiStyle style;     // at scale 1
    int preferredScale = 1;  // the window's pixel scale
    int uiScale = 0;         // what menus and alerts are drawn at now (0: not yet)
    bool hidden = false;
    bool closeMenus = false;  // Escape was pressed: close the open menus at the next draw
    // Where the pointer is in the window, from the last mouse event. ImGui's
    // SDL backend asks X for the global position, which SDL caches and only
    // refreshes on XInput2 raw motion; input that comes without raw events
    // (XTEST, some remote displays) would leave menus blind to the pointer.
    bool pointerInside = false;
    ImVec2 pointer;
    // What the SDL window was last given.
    std::string title;
    bool fullScreen = false;
    int minWidth = 0, minHeight = 0;
    SDL_Rect windowed{};  // the place and size to go back to from full screen
    struct Picture {
        DrawnPicture drawn;
        SDL_Texture* texture = nullptr;
    };
    std::map<BView*, Picture> pictures;

    ~Surface() {
        forget_menu_geometry(window);
        {
            std::lock_guard held(gGeometryLock);
            gGeometry.erase(window);
        }
        for (auto& [view, picture] : pictures)
            if (picture.texture) SDL_DestroyTexture(picture.texture);
        if (imgui) {
            ImGui::SetCurrentContext(imgui);
            ImGui_ImplSDLRenderer_Shutdown();
            ImGui_ImplSDL2_Shutdown();
            ImGui::DestroyContext(imgui);
        }
        if (renderer) SDL_DestroyRenderer(renderer);
        if (sdlWindow) SDL_DestroyWindow(sdlWindow);
    }
};

Gui::Gui() = default;

Gui::~Gui() { Stop(); }

namespace {

// Drivers that never show a window. SDL falls back on them when no display
// opens, and the program would then run invisibly: they are used only when
// the user asks for one by name.
bool shows_no_window(const std::string& driver) {
    return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

// Whether libwayland could find a compositor's socket. Without one it prints
// its own complaint on standard error, so the driver is not tried.
bool wayland_socket_named() {
    const char* display = SDL_getenv("WAYLAND_DISPLAY");
    return SDL_getenv("WAYLAND_SOCKET") || SDL_getenv("XDG_RUNTIME_DIR") || (display && display[0] == '/');
}

// Opens the display: with the driver the user chose in SDL_VIDEODRIVER, or
// else with the first of SDL's drivers that shows a real window.
bool open_display(std::string& error) {
    const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
    if (chosen && *chosen) {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return true;
        error = std::string("cannot open the display with SDL_VIDEODRIVER=") + chosen + ": " + SDL_GetError();
        return false;
    }
    std::string tried;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const std::string driver = SDL_GetVideoDriver(i);
        if (shows_no_window(driver)) continue;
        tried += (tried.empty() ? "" : ", ") + driver;
        if (driver == "wayland" && !wayland_socket_named()) continue;
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver.c_str());
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return true;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
    SDL_Quit();  // what the drivers' attempts left open
    const char* display = SDL_getenv("DISPLAY");
    error = "cannot open a window: no display found (DISPLAY " +
            (display && *display ? std::string("is ") + display : std::string("is not set")) + "; tried " +
            (tried.empty() ? std::string("no driver") : tried) + "); SDL_VIDEODRIVER=dummy runs without one";
    return false;
}

}  // namespace

bool Gui::Start(std::string& error) {
    if (fStarted) return true;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    if (!open_display(error)) return false;
    const Uint32 wake = SDL_RegisterEvents(1);
    if (wake == static_cast<Uint32>(-1)) {
        error = "cannot register the event loop's wake-up event";
        SDL_Quit();
        return false;
    }
    gWakeEvent.store(wake, std::memory_order_relaxed);
    gWakePending.store(false);
    fGamepads.Start();
    gRunning.store(true, std::memory_order_release);
    fStarted = true;
    return true;
}

void Gui::Stop() {
    if (!fStarted) return;
    gRunning.store(false, std::memory_order_release);
    drop_detached_alerts();
    fSurfaces.clear();
    fGamepads.Stop();
    ImGui::SetCurrentContext(nullptr);
    keep_libraries_loaded_for_leak_check();  // before SDL_Quit unloads the GL driver
    SDL_Quit();
    fStarted = false;
}

void Gui::Wait() {
    int timeout = kIdleWaitMs;
    if (fDirty) {
        const long long wait = fNextRenderAt - now_us();
        timeout = wait > 0 ? static_cast<int>((wait + 999) / 1000) : 0;
    }
    if (timeout > 0) SDL_WaitEventTimeout(nullptr, timeout);
}

void Gui::SyncSurfaces(const std::vector<BWindow*>& windows) {
    for (auto it = fSurfaces.begin(); it != fSurfaces.end();) {
        const bool gone = std::find(windows.begin(), windows.end(), it->first) == windows.end();
        if (gone || it->first->IsQuitting()) it = fSurfaces.erase(it);
        else ++it;
    }
    for (BWindow* window : windows) {
        if (fSurfaces.count(window) || window->IsQuitting() || window->IsHidden()) continue;
        auto surface = std::make_unique<Surface>();
        surface->window = window;
        surface->preferredScale = window->PixelScale();
        surface->title = window->Title();
        const BRect frame = window->Frame();
        const int width = (frame.IntegerWidth() + 1) * surface->preferredScale;
        const int height = (frame.IntegerHeight() + 1) * surface->preferredScale;
        surface->windowed = {static_cast<int>(frame.left), static_cast<int>(frame.top), width, height};
        const Uint32 resizable = window->Flags() & B_NOT_RESIZABLE ? 0 : SDL_WINDOW_RESIZABLE;
        surface->sdlWindow = SDL_CreateWindow(surface->title.c_str(), static_cast<int>(frame.left),
                                              static_cast<int>(frame.top), width, height,
                                              SDL_WINDOW_SHOWN | resizable);
        if (!surface->sdlWindow) {
            std::fprintf(stderr, "cannot open the window \"%s\": %s\n", surface->title.c_str(), SDL_GetError());
            window->Hide();
            continue;
        }
        surface->renderer = SDL_CreateRenderer(surface->sdlWindow, -1,
                                               SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!surface->renderer)
            surface->renderer = SDL_CreateRenderer(surface->sdlWindow, -1, SDL_RENDERER_SOFTWARE);
        if (!surface->renderer) {
            std::fprintf(stderr, "cannot draw in the window \"%s\": %s\n", surface->title.c_str(), SDL_GetError());
            window->Hide();
            continue;
        }
        surface->imgui = ImGui::CreateContext();
        ImGui::SetCurrentContext(surface->imgui);
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;  // nothing is saved between runs
        io.LogFilename = nullptr;
        ImGui::StyleColorsLight();
        ImGuiStyle& style = ImGui::GetStyle();
        style.DisplaySafeAreaPadding = ImVec2(0, 0);
        // Tighter than ImGui's default, so that the four menus fit a
        // 256-pixel window.
        style.ItemSpacing.x = 4.0f;
        style.WindowPadding.x = 4.0f;
        // The menu bar is kMenuBarHeight pixels: the 13-pixel font plus padding.
        style.FramePadding.y = (kMenuBarHeight - 13.0f) / 2;
        surface->style = style;  // scaled when drawn
        ImGui_ImplSDL2_InitForSDLRenderer(surface->sdlWindow);
        ImGui_ImplSDLRenderer_Init(surface->renderer);
        fSurfaces[window] = std::move(surface);
        fDirty = true;
    }
    for (auto& [window, surface] : fSurfaces) {
        Apply(*surface);
        const bool hidden = window->IsHidden();
        if (hidden == surface->hidden) continue;
        surface->hidden = hidden;
        if (hidden) SDL_HideWindow(surface->sdlWindow);
        else SDL_ShowWindow(surface->sdlWindow);
    }
}

void Gui::Apply(Surface& surface) {
    BWindow* window = surface.window;
    const std::string title = window->Title();
    if (title != surface.title) {
        surface.title = title;
        SDL_SetWindowTitle(surface.sdlWindow, title.c_str());
    }
    float minWidth = 0, minHeight = 0;
    window->GetSizeLimits(&minWidth, nullptr, &minHeight, nullptr);
    const int width = static_cast<int>(minWidth) + 1, height = static_cast<int>(minHeight) + 1;
    if (!(window->Flags() & B_NOT_RESIZABLE) && (width != surface.minWidth || height != surface.minHeight)) {
        surface.minWidth = width;
        surface.minHeight = height;
        SDL_SetWindowMinimumSize(surface.sdlWindow, std::max(1, width), std::max(1, height));
    }
    const bool fullScreen = window->IsFullScreen();
    if (fullScreen == surface.fullScreen) return;
    if (fullScreen) {
        SDL_GetWindowPosition(surface.sdlWindow, &surface.windowed.x, &surface.windowed.y);
        SDL_GetWindowSize(surface.sdlWindow, &surface.windowed.w, &surface.windowed.h);
        // A window system that refuses stays windowed; it is not asked again
        // until the window asks again.
        SDL_SetWindowFullscreen(surface.sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(surface.sdlWindow, 0);
        // Not every window system restores the size by itself.
        SDL_SetWindowSize(surface.sdlWindow, surface.windowed.w, surface.windowed.h);
        SDL_SetWindowPosition(surface.sdlWindow, surface.windowed.x, surface.windowed.y);
    }
    surface.fullScreen = fullScreen;
    fDirty = true;
}

bool Gui::Resize(BWindow* window, int width, int height) {
    const auto found = fSurfaces.find(window);
    if (found == fSurfaces.end() || window->Flags() & B_NOT_RESIZABLE || found->second->fullScreen) return false;
    Surface& surface = *found->second;
    SDL_SetWindowSize(surface.sdlWindow, std::max(width, surface.minWidth), std::max(height, surface.minHeight));
    fDirty = true;
    return true;
}

bool Gui::Drop(BWindow* window, const char* path) {
    if (!fSurfaces.count(window) || !path || !*path) return false;
    const entry_ref ref(path);
    BMessage dropped(B_SIMPLE_DATA);
    dropped.AddRef("refs", &ref);
    return window->PostMessage(&dropped) == B_OK;
}

BWindow* Gui::KeyboardWindow(Surface* target) {
    if (target) return target->window;
    for (auto& [window, surface] : fSurfaces)
        if (!surface->hidden) return window;
    return nullptr;
}

Gui::Surface* Gui::SurfaceForWindowId(unsigned id) {
    for (auto& [window, surface] : fSurfaces)
        if (SDL_GetWindowID(surface->sdlWindow) == id) return surface.get();
    return nullptr;
}

void Gui::HandleEvent(const void* raw) {
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    if (event.type == gWakeEvent.load(std::memory_order_relaxed)) {
        if (event.user.code == 1) {  // a synthesized close box
            for (auto& [window, surface] : fSurfaces) {
                if (window != event.user.data1) continue;
                SDL_Event close{};
                close.type = SDL_WINDOWEVENT;
                close.window.event = SDL_WINDOWEVENT_CLOSE;
                close.window.windowID = SDL_GetWindowID(surface->sdlWindow);
                HandleEvent(&close);
            }
            return;
        }
        gWakePending.store(false, std::memory_order_release);
        fDirty = true;
        return;
    }
    if (fGamepads.HandleEvent(&event)) return;
    Surface* target = nullptr;
    switch (event.type) {
        case SDL_QUIT:
            if (be_app) be_app->PostMessage(B_QUIT_REQUESTED);
            return;
        case SDL_WINDOWEVENT:
            target = SurfaceForWindowId(event.window.windowID);
            if (!target) return;
            if (event.window.event == SDL_WINDOWEVENT_CLOSE &&
                !(target->window->Flags() & B_NOT_CLOSABLE))
                target->window->PostMessage(B_QUIT_REQUESTED);
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                clear_key_states();
                release_shortcut_keys(target->window);
                fGamepads.SetFocused(false);
            }
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) fGamepads.SetFocused(true);
            if (event.window.event == SDL_WINDOWEVENT_LEAVE) target->pointerInside = false;
            break;
        case SDL_DROPFILE:
            // A file or directory dropped on a window: a message with its reference.
            if (event.drop.file) {
                target = SurfaceForWindowId(event.drop.windowID);
                if (BWindow* window = KeyboardWindow(target)) Drop(window, event.drop.file);
                SDL_free(event.drop.file);
            }
            return;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            target = SurfaceForWindowId(event.key.windowID);
            BWindow* window = KeyboardWindow(target);
            const SDL_Scancode key = event.key.keysym.scancode;
            const bool press = event.type == SDL_KEYDOWN && !event.key.repeat;
            const auto alerts = open_alerts();
            // Escape closes the open menus before it is anything else.
            const bool closesMenus = press && key == SDL_SCANCODE_ESCAPE && alerts.empty() && window &&
                                     !menu_geometry(window).menus.empty();
            const int code = beos_key_for_scancode(key);
            if (code >= 0 && !event.key.repeat && !closesMenus &&
                !route_shortcut_key(window, code, event.type == SDL_KEYDOWN,
                                    shortcut_modifiers(event.key.keysym.mod), !alerts.empty()))
                set_key_state(static_cast<uint8_t>(code), event.type == SDL_KEYDOWN);
            if (press && !alerts.empty()) {
                if (key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER)
                    answer_alert(alerts.front().id, static_cast<int32>(alerts.front().buttons.size()) - 1);
                else if (key == SDL_SCANCODE_ESCAPE)
                    answer_alert(alerts.front().id, 0);
            } else if (closesMenus) {
                fSurfaces[window]->closeMenus = true;
            }
            break;
        }
        case SDL_MOUSEMOTION:
            target = SurfaceForWindowId(event.motion.windowID);
            if (target) target->pointer = ImVec2(event.motion.x, event.motion.y), target->pointerInside = true;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            target = SurfaceForWindowId(event.button.windowID);
            if (target) target->pointer = ImVec2(event.button.x, event.button.y), target->pointerInside = true;
            break;
        case SDL_MOUSEWHEEL:
            target = SurfaceForWindowId(event.wheel.windowID);
            break;
        case SDL_TEXTINPUT:
            target = SurfaceForWindowId(event.text.windowID);
            break;
        default:
            return;
    }
    if (target) {
        ImGui::SetCurrentContext(target->imgui);
        ImGui_ImplSDL2_ProcessEvent(&event);
    }
    fDirty = true;
    fExtraFrames = 2;  // menus settle over the frames that follow an input
}

void Gui::Update(const std::vector<BWindow*>& windows) {
    SyncSurfaces(windows);
    serve_requests(*this);
    SDL_Event event;
    while (SDL_PollEvent(&event)) HandleEvent(&event);
    {
        std::lock_guard held(gCaptureLock);
        if (!gCaptures.empty()) fDirty = true;
    }
    if (!fDirty || now_us() < fNextRenderAt) return;
    fDirty = false;
    bool first = true;
    for (auto& [window, surface] : fSurfaces) {
        if (surface->hidden) continue;
        Render(*surface, first);
        first = false;
    }
    fNextRenderAt = now_us() + kMinRenderInterval;
    if (fExtraFrames > 0 || !open_alerts().empty()) {
        if (fExtraFrames > 0) --fExtraFrames;
        fDirty = true;
    }
}

void Gui::ServeCaptures(Surface& surface) {
    std::lock_guard held(gCaptureLock);
    for (auto it = gCaptures.begin(); it != gCaptures.end();) {
        CaptureRequest* request = *it;
        if (request->window != surface.window) {
            ++it;
            continue;
        }
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(surface.renderer, &width, &height);
        request->capture->width = width;
        request->capture->height = height;
        request->capture->pixels.assign(static_cast<size_t>(width) * height, 0);
        request->ok = SDL_RenderReadPixels(surface.renderer, nullptr, SDL_PIXELFORMAT_RGB888,
                                           request->capture->pixels.data(), width * 4) == 0;
        request->done = true;
        it = gCaptures.erase(it);
    }
    gCaptureDone.notify_all();
}

void Gui::Render(Surface& surface, bool hostsAlerts) {
    SDL_Renderer* renderer = surface.renderer;
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
    {
        std::lock_guard held(gPointerLock);
        const auto pointer = gPointers.find(surface.window);
        if (pointer != gPointers.end()) {
            ImGuiIO& io = ImGui::GetIO();
            io.MousePos = ImVec2(pointer->second.x * scale, pointer->second.y * scale);
            io.MouseDown[0] = pointer->second.down;
        }
    }
    ImGui::NewFrame();

    std::vector<Choice> choices;
    draw_menu_bar(surface.window, scale, std::exchange(surface.closeMenus, false), choices);
    if (hostsAlerts) DrawAlert(scale);
    ImGui::Render();

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
    {
        // Before the captures are served: a capture's geometry is this draw's.
        std::lock_guard held(gGeometryLock);
        gGeometry[surface.window] = std::move(geometry);
    }
    ServeCaptures(surface);
    SDL_RenderPresent(renderer);

    for (Choice& choice : choices) choice.target->PostMessage(&choice.message);
}

void Gui::DrawAlert(float scale) {
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
