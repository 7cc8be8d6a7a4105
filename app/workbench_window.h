// The workbench's own window, "BePellmora v0.80 - Workbench": the panels
// over the controller. It is made once and shown or hidden; its close box
// and F9 ask the main window to close it, so that the main window keeps the
// settings. It quits only with the application.
#pragma once

#include <atomic>

#include "controller.h"
#include "kit.h"
#include "layout.h"

namespace workbench {
class WorkbenchView;
}

class WorkbenchWindow : public BWindow {
public:
    // At `scale` (the main window's), where `layout.window` says or, when it
    // says nothing, beside `mainWindow`.
    WorkbenchWindow(workbench::Controller& controller, const workbench::Layout& layout, BWindow& mainWindow,
                    int scale);
    void MessageReceived(BMessage* message) override;
    bool QuitRequested() override;
    // From now on a quit request quits (the application is quitting).
    void AllowQuit() { fAllowQuit.store(true); }
    // The panels and the window as they stand (any thread).
    workbench::Layout CurrentLayout() const;
    // Whether the user has moved, resized, opened or closed a panel (see
    // WorkbenchView::LayoutChangedByUser).
    bool LayoutChangedByUser() const;
    // Whether the window has been moved or resized since it opened.
    bool MovedByUser() const;

private:
    workbench::WorkbenchView* fView;
    BWindow& fMainWindow;
    std::atomic<bool> fAllowQuit{false};
};
