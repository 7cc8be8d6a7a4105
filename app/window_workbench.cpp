// The main window's side of the workbench: opening and closing its window,
// and keeping where its panels stand.
#include "bevorel_window.h"
#include "controller.h"
#include "emulation.h"
#include "menus.h"
#include "screen.h"
#include "workbench_window.h"

namespace {
bool monitorActive() { return debugOn.load(std::memory_order_relaxed) != 0; }
}  // namespace

void BeVorelWindow::UseWorkbench(workbench::Controller* controller, bool open) {
    fWorkbenchController = controller;
    if (!controller) return;
    controller->setMonitorCheck(monitorActive);
    if (open || fSettings.workbenchOpen) {
        BMessage open(kCmdWorkbench);
        open.AddInt32(kForThisRun, 1);  // the settings say so already, or --workbench asks for this run
        PostMessage(&open);
    }
}

void BeVorelWindow::toggleWorkbench() {
    if (!fWorkbenchController) {
        refuse("The workbench is not available in this program.");
        return;
    }
    if (fWorkbench && !fWorkbench->IsHidden()) {
        fWorkbenchController->setOpen(false);
        fWorkbench->Hide();
        keepWorkbenchPanels();
        return;
    }
    if (!fWorkbench) {
        workbench::Layout layout = workbench::defaultLayout();
        workbench::parseLayout(fSettings.workbenchPanels, layout);
        // At the main window's scale, or larger where the screen's density asks for it.
        fWorkbench = new WorkbenchWindow(*fWorkbenchController, layout, *this,
                                         std::max(PixelScale(), BScreen(this).DensityScale()));
    }
    fWorkbenchController->setOpen(true);
    fWorkbench->Show();
}

void BeVorelWindow::closeWorkbenchForQuit() {
    if (!fWorkbench) return;
    fWorkbench->AllowQuit();
    keepWorkbenchPanels();
}

void BeVorelWindow::keepWorkbenchPanels() {
    // Only once the user has moved, resized, opened or closed a panel, or
    // moved or resized the window: the places as the settings gave them,
    // fitted by the workbench (a zero size, a panel outside the window),
    // stay as the user wrote them.
    workbench::Layout layout = workbench::defaultLayout();
    workbench::parseLayout(fSettings.workbenchPanels, layout);
    const workbench::Layout now = fWorkbench->CurrentLayout();
    if (fWorkbench->LayoutChangedByUser()) layout = now;
    if (fWorkbench->MovedByUser()) layout.window = now.window;
    // Only where the workbench stands: other settings of this run stay as they are.
    Settings live = fSettings;
    live.workbenchPanels = workbench::formatLayout(layout);
    const SettingKeySet changed = takeChangedSettings(fSettings, live, fSettings);
    if (!changed) return;
    fUnsavedSettings |= changed;
    saveKeyboardConfiguration(0);
}
