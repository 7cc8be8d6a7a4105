#include "notice.h"

#include <utility>

namespace workbench {

void Notice::give(std::string text, double now) {
    fText = std::move(text);
    fSince = now;
}

const std::string& Notice::shown(double now) {
    if (now - fSince >= kSeconds) fText.clear();
    return fText;
}

}  // namespace workbench
