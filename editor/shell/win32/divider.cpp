// The divider bar between the tree and the right column: dragging it moves the divider
// position and lays the window out again.

#include "editor.h"

#include "layout.h"

namespace tarnwick {

namespace {
Editor* EditorOf(HWND window) { return reinterpret_cast<Editor*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }
}  // namespace

LRESULT CALLBACK DividerProcedure(HWND divider, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* editor = EditorOf(GetParent(divider));
    if (!editor) return DefWindowProcA(divider, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: editor->dividerAnchor = 0; return 0;
        case WM_LBUTTONDOWN:
            SetCapture(divider);
            editor->dividerAnchor = static_cast<short>(LOWORD(lParam));
            return 0;
        case WM_MOUSEMOVE:
            if (editor->dividerAnchor != 0) {
                const int x = static_cast<short>(LOWORD(lParam));
                RECT client{};
                GetClientRect(editor->window, &client);
                // Within the bounds that keep both columns visible, each move adds its step exactly.
                editor->settings.windowDivider =
                    ClampDivider(editor->settings.windowDivider + (x - editor->dividerAnchor), client.right);
                LayOut(*editor);
            }
            return 0;
        case WM_LBUTTONUP:
            ReleaseCapture();
            editor->dividerAnchor = 0;
            return 0;
        default: return DefWindowProcA(divider, message, wParam, lParam);
    }
}

}  // namespace tarnwick
