#include "alert.h"

#include <condition_variable>
#include <list>

#include "alert_queue.h"
#include "gui_wake.h"
#include "kit_sync.h"

namespace kit {
namespace {

struct Waiting {
    OpenAlert alert;
    int32 answer = -1;
    std::condition_variable answered;
    bool detached = false;  // nobody waits: answering deletes it
};

// Guarded by kit::lock(); never destroyed.
std::list<Waiting*>& waiting() {
    static auto* list = new std::list<Waiting*>;
    return *list;
}

uint64_t nextAlertId = 1;  // guarded by kit::lock()

}  // namespace

std::vector<OpenAlert> open_alerts() {
    std::lock_guard held(lock());
    std::vector<OpenAlert> copy;
    for (const Waiting* w : waiting()) copy.push_back(w->alert);
    return copy;
}

void answer_alert(uint64_t id, int32 button) {
    std::lock_guard held(lock());
    for (auto it = waiting().begin(); it != waiting().end(); ++it) {
        Waiting* w = *it;
        if (w->alert.id != id || w->answer >= 0) continue;
        if (button < 0 || static_cast<size_t>(button) >= w->alert.buttons.size()) return;
        w->answer = button;
        if (w->detached) {
            waiting().erase(it);
            delete w;
            return;
        }
        w->answered.notify_all();
        return;
    }
}

void drop_detached_alerts() {
    std::lock_guard held(lock());
    std::erase_if(waiting(), [](Waiting* w) {
        if (!w->detached) return false;
        delete w;
        return true;
    });
}

}  // namespace kit

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
               const char* button2, button_width, alert_type type)
    : fTitle(title ? title : ""), fText(text ? text : ""), fType(type) {
    fButtons[0] = button0 ? button0 : "";
    fButtons[1] = button1 ? button1 : "";
    fButtons[2] = button2 ? button2 : "";
}

int32 BAlert::CountButtons() const {
    int32 count = 0;
    while (count < 3 && !fButtons[count].empty()) ++count;
    return count;
}

const char* BAlert::ButtonLabel(int32 index) const {
    return index >= 0 && index < CountButtons() ? fButtons[index].c_str() : nullptr;
}

void BAlert::Describe(kit::OpenAlert& alert) const {
    alert.title = fTitle;
    alert.text = fText;
    for (int32 i = 0; i < CountButtons(); ++i) alert.buttons.push_back(fButtons[i]);
    alert.type = fType;
}

status_t BAlert::Go(BInvoker* invoker) {
    std::unique_ptr<BAlert> self(this);  // Go always deletes the alert
    if (invoker) return B_BAD_VALUE;
    if (!kit::gui_running() || CountButtons() == 0) return B_ERROR;
    auto* entry = new kit::Waiting;
    entry->detached = true;
    Describe(entry->alert);
    {
        std::lock_guard held(kit::lock());
        entry->alert.id = kit::nextAlertId++;
        kit::waiting().push_back(entry);
    }
    kit::wake_gui();
    return B_OK;
}

int32 BAlert::Go() {
    std::unique_ptr<BAlert> self(this);  // Go always deletes the alert
    if (!kit::gui_running() || CountButtons() == 0) return B_ERROR;
    kit::Waiting entry;
    Describe(entry.alert);
    std::unique_lock held(kit::lock());
    entry.alert.id = kit::nextAlertId++;
    kit::waiting().push_back(&entry);
    held.unlock();
    kit::wake_gui();
    held.lock();
    struct Unlist {
        kit::Waiting* entry;
        ~Unlist() { kit::waiting().remove(entry); }  // runs with kit::lock() held
    } unlist{&entry};
    kit::wait(held, entry.answered, [&] { return entry.answer >= 0; });
    const int32 answer = entry.answer;
    return answer;
}
