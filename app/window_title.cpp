#include "window_title.h"

#include "bevorel_window.h"

std::string statusTitle(const TitleStatus& status) {
    std::string title = kWindowName;
    if (!status.notice.empty()) return title + " - " + status.notice;
    if (status.running && !status.movie.empty()) title += " - " + status.movie;
    if (status.running && status.paused) title += " - Paused";
    if (status.debug) title += " - Debug";
    if (!status.running || status.paused || status.debug) return title;
    if (status.measuredFps >= 0) {
        // 59 to 61 is 60: a second holds whole frames, and the clock wobbles.
        if (status.measuredFps < 59 || status.measuredFps > 61) title += " - " + std::to_string(status.measuredFps) + " fps";
    } else if (status.turbo || status.speed == Speed::Unlimited) {
        title += " - Unlimited";
    } else if (status.speed == Speed::Fps30) {
        title += " - 30 fps";
    }
    return title;
}

namespace {

int32 endNotice(void* window) {
    snooze(kNoticeTime);
    static_cast<BWindow*>(window)->PostMessage(kMsgNoticeOver);
    return 0;
}

}  // namespace

void BeVorelWindow::notify(const std::string& notice) {
    fNotice = notice;
    fNoticeEnd = system_time() + kNoticeTime;
    // One timer: the one of an earlier notice is replaced.
    kill_thread(fNoticeTimer);
    fNoticeTimer = spawn_thread(endNotice, "noticeTimer", B_LOW_PRIORITY, this);
    if (fNoticeTimer >= 0) resume_thread(fNoticeTimer);
}

std::string BeVorelWindow::currentNotice() const { return system_time() < fNoticeEnd ? fNotice : ""; }
