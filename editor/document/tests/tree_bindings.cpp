#include "tree_bindings.h"

#ifdef _WIN32
#include <commctrl.h>

#include <cstring>

namespace tarnwick::testing {

namespace {

HWND CreateTreeWindow() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = CreateWindowExA(0, WC_TREEVIEWA, "tree", WS_POPUP | TVS_HASBUTTONS | TVS_LINESATROOT,
                                  0, 0, 300, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return window;
}

}  // namespace

TreeViewBinding::TreeViewBinding() : window_(CreateTreeWindow()), tree(window_) {}

TreeViewBinding::~TreeViewBinding() {
    if (window_) DestroyWindow(window_);
}

TreePoint TreeViewBinding::PointOf(ItemHandle item) {
    SendMessageA(window_, TVM_ENSUREVISIBLE, 0, static_cast<LPARAM>(item));
    RECT rect{};
    const auto treeItem = reinterpret_cast<HTREEITEM>(item);
    std::memcpy(&rect, &treeItem, sizeof treeItem);  // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(window_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace tarnwick::testing
#endif
