#include "workbench_window.h"

#include "hotkeys.h"
#include "menus.h"
#include "workbench_view.h"

namespace {
const BRect kWorkbenchFrame(30, 40, 1009, 739);  // 980 x 700
constexpr uint32 kWorkbenchFlags = B_NOT_ZOOMABLE;  // resizable
}  // namespace

WorkbenchWindow::WorkbenchWindow(workbench::Controller& controller, const workbench::Layout& layout,
                                 BLooper& mainWindow)
    : BWindow(kWorkbenchFrame, "BePellmora v0.80 - Workbench", B_TITLED_WINDOW, kWorkbenchFlags),
      fView(new workbench::WorkbenchView(BRect(0, 0, kWorkbenchFrame.Width(), kWorkbenchFrame.Height()), controller,
                                         layout)),
      fMainWindow(mainWindow) {
    SetSizeLimits(399, 1e6f, 299, 1e6f);
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

workbench::Layout WorkbenchWindow::CurrentLayout() const { return fView->CurrentLayout(); }
bool WorkbenchWindow::LayoutChangedByUser() const { return fView->LayoutChangedByUser(); }
