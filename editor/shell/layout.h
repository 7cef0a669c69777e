#pragma once
// Where the main window's children go, from the divider position D, the toolbar height T and
// the client area: the tree on the left, the pane container above the description box on the
// right, the divider bar between them.

namespace tarnwick {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

struct Layout {
    Rect divider;
    Rect tree;
    Rect panes;  // only its corner is used: the container keeps its own size
    Rect description;
};

// The main window starts this much wider than the divider position, and this high.
inline constexpr int kWindowWidthBeyondDivider = 403;
inline constexpr int kWindowHeight = 450;

// Neither the tree nor the right column may shrink below this many pixels.
inline constexpr int kMinimumColumnWidth = 40;

// The divider is kept inside the client area as ClampDivider keeps it.
Layout ComputeLayout(int divider, int toolbarHeight, int clientWidth, int clientHeight);

// The divider position within the bounds that keep both columns at least kMinimumColumnWidth
// wide in a client area `clientWidth` pixels wide; the left bound wins when both cannot hold.
// A clientWidth of 0 or less checks the left bound only (no window yet).
int ClampDivider(int divider, int clientWidth);

}  // namespace tarnwick
