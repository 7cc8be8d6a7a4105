#include "window.h"

#include "application.h"
#include "gui_wake.h"
#include "menu.h"

BWindow::BWindow(BRect frame, const char* title, window_type, uint32 flags, uint32)
    : BLooper(title),
      fFrame(frame),
      fFlags(flags),
      fTitle(title ? title : ""),
      fMinWidth(frame.Width()),
      fMinHeight(frame.Height()) {}

BWindow::~BWindow() {
    StopLoop();
    if (be_app) be_app->ForgetWindow(this);
}

void BWindow::Show() {
    bool first = false;
    {
        std::lock_guard held(fChildrenLock);
        fHidden = false;
        first = !fShownOnce;
        fShownOnce = true;
    }
    if (first) {
        Run();
        if (be_app) be_app->AdoptWindow(this);
    }
    kit::wake_gui();
}

void BWindow::Hide() {
    {
        std::lock_guard held(fChildrenLock);
        fHidden = true;
    }
    kit::wake_gui();
}

bool BWindow::IsHidden() const {
    std::lock_guard held(fChildrenLock);
    return fHidden;
}

void BWindow::AddChild(BView* view) {
    if (!view) return;
    {
        std::lock_guard held(fChildrenLock);
        view->fWindow = this;
        fChildren.emplace_back(view);
        if (auto* bar = dynamic_cast<BMenuBar*>(view)) fKeyMenuBar = bar;
    }
    kit::wake_gui();
}

BMenuBar* BWindow::KeyMenuBar() const {
    std::lock_guard held(fChildrenLock);
    return fKeyMenuBar;
}

std::vector<BView*> BWindow::Children() const {
    std::lock_guard held(fChildrenLock);
    std::vector<BView*> children;
    for (const auto& child : fChildren) children.push_back(child.get());
    return children;
}

void BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* pressed, BMessage* released) {
    std::unique_ptr<BMessage> onPress(pressed), onRelease(released);
    if (!onPress) return;
    modifiers &= kShortcutModifiers;
    std::lock_guard held(fShortcutsLock);
    for (Shortcut& shortcut : fShortcuts) {
        if (shortcut.key == key && shortcut.modifiers == modifiers) {
            shortcut.pressed = std::move(onPress);
            shortcut.released = std::move(onRelease);
            return;
        }
    }
    fShortcuts.push_back({key, modifiers, std::move(onPress), std::move(onRelease)});
}

void BWindow::RemoveShortcut(uint32 key, uint32 modifiers) {
    modifiers &= kShortcutModifiers;
    std::lock_guard held(fShortcutsLock);
    std::erase_if(fShortcuts, [&](const Shortcut& s) { return s.key == key && s.modifiers == modifiers; });
}

bool BWindow::FindShortcut(uint32 key, uint32 modifiers, BMessage* pressed, BMessage* released) const {
    modifiers &= kShortcutModifiers;
    std::lock_guard held(fShortcutsLock);
    for (const Shortcut& shortcut : fShortcuts) {
        if (shortcut.key != key || shortcut.modifiers != modifiers) continue;
        if (pressed) *pressed = *shortcut.pressed;
        if (released) *released = shortcut.released ? *shortcut.released : BMessage();
        return true;
    }
    return false;
}

std::string BWindow::Title() const {
    std::lock_guard held(fAppearanceLock);
    return fTitle;
}

void BWindow::SetTitle(const char* title) {
    {
        std::lock_guard held(fAppearanceLock);
        fTitle = title ? title : "";
    }
    kit::wake_gui();
}

void BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight) {
    {
        std::lock_guard held(fAppearanceLock);
        fMinWidth = minWidth;
        fMaxWidth = maxWidth;
        fMinHeight = minHeight;
        fMaxHeight = maxHeight;
    }
    kit::wake_gui();
}

void BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const {
    std::lock_guard held(fAppearanceLock);
    if (minWidth) *minWidth = fMinWidth;
    if (maxWidth) *maxWidth = fMaxWidth;
    if (minHeight) *minHeight = fMinHeight;
    if (maxHeight) *maxHeight = fMaxHeight;
}

void BWindow::SetFullScreen(bool fullScreen) {
    fFullScreen.store(fullScreen, std::memory_order_relaxed);
    kit::wake_gui();
}

void BWindow::SetScreenPlace(BRect place) {
    std::lock_guard held(fAppearanceLock);
    fScreenPlace = place;
}

void BWindow::PlacedOnScreen(BRect place) {
    std::lock_guard held(fAppearanceLock);
    fScreenPlace = place;
    if (fOpeningPlace.Width() < 0) fOpeningPlace = place;
}

BRect BWindow::OpeningPlace() const {
    std::lock_guard held(fAppearanceLock);
    return fOpeningPlace;
}

BRect BWindow::ScreenPlace() const {
    std::lock_guard held(fAppearanceLock);
    return fScreenPlace;
}

void BWindow::OpenBeside(const BWindow* other) {
    std::lock_guard held(fAppearanceLock);
    fBeside = other;
}

const BWindow* BWindow::OpensBeside() const {
    std::lock_guard held(fAppearanceLock);
    return fBeside;
}

void BWindow::SetPixelScale(int32 scale) {
    fScale.store(scale < 1 ? 1 : scale > 8 ? 8 : scale, std::memory_order_relaxed);
}

void BWindow::LoopEnded() {
    Hide();
    if (be_app) be_app->WindowClosed(this);
}
