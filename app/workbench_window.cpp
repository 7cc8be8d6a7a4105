#include "workbench_window.h"

#include <algorithm>

#include "hotkeys.h"
#include "menus.h"
#include "workbench_view.h"

namespace {
// The frame is the smallest size: at --scale N the panels are drawn N times
// as large as long as the window is at least N times this.
const BRect kWorkbenchFrame(0, 0, 399, 299);
constexpr int kOpeningWidth = 980, kOpeningHeight = 700;  // at scale 1
constexpr uint32 kWorkbenchFlags = B_NOT_ZOOMABLE;  // resizable
}  // namespace

WorkbenchWindow::WorkbenchWindow(workbench::Controller& controller, const workbench::Layout& layout,
                                 BWindow& mainWindow, int scale)
    : BWindow(kWorkbenchFrame, "BePellmora v0.80 - Workbench", B_TITLED_WINDOW, kWorkbenchFlags),
      fView(new workbench::WorkbenchView(kWorkbenchFrame, controller, layout)),
      fMainWindow(mainWindow) {
    SetPixelScale(scale);
    // Where it was left, or beside the main window.
    const workbench::PanelPlace& kept = layout.window;
    if (kept.open) {
        SetScreenPlace(BRect(kept.left, kept.top, kept.left + kept.width - 1, kept.top + kept.height - 1));
    } else {
        SetScreenPlace(BRect(30, 40, 30 + kOpeningWidth * scale - 1, 40 + kOpeningHeight * scale - 1));
        OpenBeside(&mainWindow);
    }
    AddChild(fView);
    // The key that closes it, as in the main window.
    for (const Hotkey& key : hotkeys())
        if (key.pressed == kCmdWorkbench) AddShortcut(key.key, key.modifiers, new BMessage(kCmdWorkbench));
}

void WorkbenchWindow::MessageReceived(BMessage* message) {
    if (message->what == kCmdWorkbench) {
        fMainWindow.PostMessage(kCmdWorkbench);
        return;
    }
    BWindow::MessageReceived(message);
}

bool WorkbenchWindow::QuitRequested() {
    if (fAllowQuit.load()) return true;
    fMainWindow.PostMessage(kCmdWorkbench);
    return false;
}

workbench::Layout WorkbenchWindow::CurrentLayout() const {
    workbench::Layout layout = fView->CurrentLayout();
    if (const BRect place = ScreenPlace(); place.Width() >= 0)
        layout.window = {true, std::max(0, static_cast<int>(place.left)), std::max(0, static_cast<int>(place.top)),
                         place.IntegerWidth() + 1, place.IntegerHeight() + 1};
    return layout;
}
bool WorkbenchWindow::LayoutChangedByUser() const { return fView->LayoutChangedByUser(); }

bool WorkbenchWindow::MovedByUser() const {
    const BRect now = ScreenPlace(), opened = OpeningPlace();
    return opened.Width() >= 0 && (now.left != opened.left || now.top != opened.top || now.right != opened.right ||
                                   now.bottom != opened.bottom);
}
