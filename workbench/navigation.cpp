#include "navigation.h"

namespace workbench {

namespace {
void keep(std::vector<uint32_t>& list, uint32_t place) {
    if (list.size() == Navigation::kKept) list.erase(list.begin());
    list.push_back(place);
}

std::optional<uint32_t> move(std::vector<uint32_t>& from, std::vector<uint32_t>& to, uint32_t here) {
    if (from.empty()) return std::nullopt;
    const uint32_t place = from.back();
    from.pop_back();
    keep(to, here);
    return place;
}
}  // namespace

void Navigation::go(uint32_t from, uint32_t target) {
    if (from == target) return;
    keep(fBack, from);
    fForward.clear();
}

std::optional<uint32_t> Navigation::back(uint32_t from) { return move(fBack, fForward, from); }
std::optional<uint32_t> Navigation::forward(uint32_t from) { return move(fForward, fBack, from); }

}  // namespace workbench
