// The places a view has gone to, for its Back and Forward: going somewhere
// puts where the view was on the back list and forgets the forward one.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace workbench {

class Navigation {
public:
    static constexpr size_t kKept = 64;  // places each way
    void go(uint32_t from, uint32_t target);
    // The place to go back (forward) to from `from`, which goes on the
    // other list; none when the list is empty.
    std::optional<uint32_t> back(uint32_t from);
    std::optional<uint32_t> forward(uint32_t from);
    bool canGoBack() const { return !fBack.empty(); }
    bool canGoForward() const { return !fForward.empty(); }

private:
    std::vector<uint32_t> fBack, fForward;
};

}  // namespace workbench
