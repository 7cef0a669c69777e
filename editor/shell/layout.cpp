#include "layout.h"

#include <algorithm>

namespace tarnwick {

namespace {
// The tree is D - 4 wide; the right column W - D - 6.
constexpr int kTreeWidthBeforeDivider = 4;
constexpr int kRightColumnMargin = 6;
}  // namespace

Layout ComputeLayout(int divider, int toolbarHeight, int clientWidth, int clientHeight) {
    // A window narrower than the divider still shows both columns; the setting keeps the
    // user's value, so widening the window brings the divider back.
    const int d = ClampDivider(divider, clientWidth);
    const int t = toolbarHeight;
    Layout layout;
    layout.divider = {d - 4, t, 5, clientHeight - t - 10};
    layout.tree = {2, t, d - kTreeWidthBeforeDivider, clientHeight - t - 5};
    layout.panes = {d + 2, t, 0, 0};
    layout.description = {d + 2, t + 199, clientWidth - d - kRightColumnMargin, clientHeight - t - 204};
    return layout;
}

int ClampDivider(int divider, int clientWidth) {
    const int lowest = kMinimumColumnWidth + kTreeWidthBeforeDivider;
    if (clientWidth > 0) divider = std::min(divider, clientWidth - kRightColumnMargin - kMinimumColumnWidth);
    return std::max(divider, lowest);
}

}  // namespace tarnwick
