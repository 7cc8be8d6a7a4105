// Alerts: a modal box with a text and up to three buttons.
#pragma once

#include <string>

#include "support_defs.h"

class BInvoker;
namespace kit { struct OpenAlert; }

enum alert_type { B_EMPTY_ALERT = 0, B_INFO_ALERT, B_IDEA_ALERT, B_WARNING_ALERT, B_STOP_ALERT };
enum button_width { B_WIDTH_AS_USUAL = 0, B_WIDTH_FROM_WIDEST, B_WIDTH_FROM_LABEL };

class BAlert {
public:
    BAlert(const char* title, const char* text, const char* button0, const char* button1 = nullptr,
           const char* button2 = nullptr, button_width width = B_WIDTH_AS_USUAL,
           alert_type type = B_INFO_ALERT);

    // Shows the alert and blocks the calling thread until a button is
    // chosen (the last button is the default: Enter chooses it, Escape the
    // first); returns its index and deletes the alert. Without a running
    // application nothing can be shown: returns B_ERROR at once.
    int32 Go();
    // Shows the alert without waiting: returns B_OK at once, and the alert
    // deletes itself once a button is chosen. The kit has no invokers, so
    // `invoker` must be null (the choice is not reported); B_BAD_VALUE
    // otherwise. Without a running application nothing can be shown: returns
    // B_ERROR. Alerts still open when the event loop ends are dropped.
    status_t Go(BInvoker* invoker);

    ~BAlert() = default;

    const char* Title() const { return fTitle.c_str(); }
    const char* Text() const { return fText.c_str(); }
    int32 CountButtons() const;
    const char* ButtonLabel(int32 index) const;
    alert_type Type() const { return fType; }

private:
    void Describe(kit::OpenAlert& alert) const;

    std::string fTitle, fText, fButtons[3];
    alert_type fType;
};
