#pragma once
// The tree bindings the conformance suite runs against: the in-memory tree everywhere, and
// the real tree-view control in the Windows build.

#include "memory_tree.h"

#include <gtest/gtest.h>

#include <memory>

#ifdef _WIN32
#include "win32/tree_view_items.h"
#include <windows.h>
#endif

namespace tarnwick::testing {

struct MemoryTreeBinding {
    MemoryTree tree;
    std::size_t LiveValues() const { return tree.LiveValueCount(); }
    // A point at which HitTest finds `item`.
    TreePoint PointOf(ItemHandle item) {
        const TreePoint point{10, static_cast<int>(item) * 16};
        tree.PlaceItemAt(point, item);
        return point;
    }
    TreePoint EmptyPoint() const { return {-5, -5}; }
};

#ifdef _WIN32
// A visible tree-view window of its own, so that item rectangles and hit tests are real.
class TreeViewBinding {
public:
    TreeViewBinding();
    ~TreeViewBinding();
    std::size_t LiveValues() const { return tree.LiveValueCount(); }
    TreePoint PointOf(ItemHandle item);
    TreePoint EmptyPoint() const { return {5, 390}; }

private:
    HWND window_;

public:
    TreeViewItems tree;
};
using TreeBindings = ::testing::Types<MemoryTreeBinding, TreeViewBinding>;
#else
using TreeBindings = ::testing::Types<MemoryTreeBinding>;
#endif

}  // namespace tarnwick::testing
