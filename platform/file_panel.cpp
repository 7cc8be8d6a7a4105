#include "file_panel.h"

#include "application.h"

BLooper* BMessenger::Target() const { return fTarget ? fTarget : be_app; }

status_t BMessenger::SendMessage(const BMessage* message) const {
    BLooper* target = Target();
    return target ? target->PostMessage(message) : B_BAD_VALUE;
}

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref*, uint32,
                       bool allowMultipleSelection, BMessage* message, void*, bool, bool)
    : fMode(mode), fTarget(target ? *target : BMessenger()), fMultiple(allowMultipleSelection) {
    if (message) SetMessage(message);
}

void BFilePanel::SetMessage(BMessage* message) {
    fMessage = message ? *message : BMessage(B_REFS_RECEIVED);
}

status_t BFilePanel::SendRefs(const std::vector<entry_ref>& refs) const {
    if (refs.empty() || (refs.size() > 1 && !fMultiple)) return B_BAD_VALUE;
    BMessage message(fMessage);
    for (const entry_ref& ref : refs) message.AddRef("refs", &ref);
    return fTarget.SendMessage(&message);
}
