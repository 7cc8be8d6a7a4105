// The application: opens the main window and boots games from file references.
#pragma once

#include "bevorel_window.h"
#include "kit.h"

constexpr const char* kSignature = "application/x-wnd.BeVorel";

class BeVorelApp : public BApplication {
public:
    BeVorelApp();
    ~BeVorelApp() override;
    void MessageReceived(BMessage* message) override;
    void ReadyToRun() override;

    BeVorelWindow* fMainWindow = nullptr;
};
