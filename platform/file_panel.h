// File panels: choose entries and send them to a target as "refs".
#pragma once

#include <memory>
#include <vector>

#include "looper.h"
#include "message.h"

constexpr uint32 B_REFS_RECEIVED = 0x52524546;  // 'RREF'

enum file_panel_mode { B_OPEN_PANEL = 0, B_SAVE_PANEL };

// Where messages go: a looper, or the application when none is named.
class BMessenger {
public:
    BMessenger() = default;
    explicit BMessenger(BLooper* target) : fTarget(target) {}
    BLooper* Target() const;
    status_t SendMessage(const BMessage* message) const;

private:
    BLooper* fTarget = nullptr;
};

class BFilePanel {
public:
    // The kit has no file chooser to show: the panel keeps its settings and
    // delivers chosen entries with SendRefs.
    explicit BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = nullptr,
                        const entry_ref* directory = nullptr, uint32 nodeFlavors = 0,
                        bool allowMultipleSelection = true, BMessage* message = nullptr,
                        void* filter = nullptr, bool modal = false, bool hideWhenDone = true);

    // The panel keeps a copy of the message it sends (B_REFS_RECEIVED when
    // none was given).
    void SetMessage(BMessage* message);
    const BMessage* Message() const { return &fMessage; }
    void SetTarget(BMessenger target) { fTarget = target; }
    BMessenger Messenger() const { return fTarget; }
    file_panel_mode PanelMode() const { return fMode; }
    bool AllowsMultipleSelection() const { return fMultiple; }

    // Sends the panel's message with the entries under "refs" to the
    // target, as choosing them does. B_BAD_VALUE for no entries, or several
    // when only one may be chosen.
    status_t SendRefs(const std::vector<entry_ref>& refs) const;

private:
    file_panel_mode fMode;
    BMessenger fTarget;
    bool fMultiple;
    BMessage fMessage{B_REFS_RECEIVED};
};
