// Each item's value drawn dimmed after its name, on the same row of the tree, and the whole
// value as the item's info tip. The item's text stays its name, so the tree's own type-ahead
// and every lookup by name go on working on names.

#include "editor.h"

#include "code_page.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {

namespace {

// No row is wider than this many bytes; longer values are drawn only this far.
constexpr std::size_t kMaxDrawnValue = 512;
// Between the name and its value: the width of this text in the tree's font.
constexpr char kGap[] = "  ";

void DrawValue(Editor& editor, const NMTVCUSTOMDRAW& draw) {
    const auto item = static_cast<ItemHandle>(draw.nmcd.dwItemSpec);
    const ItemView view = editor.items->GetItem(item);
    if (view.value.empty()) return;
    RECT row{};
    std::memcpy(&row, &item, sizeof item);  // TVM_GETITEMRECT takes the item in the rectangle
    if (!SendMessageA(editor.tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&row))) return;
    RECT client{};
    GetClientRect(editor.tree, &client);
    HDC dc = draw.nmcd.hdc;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(editor.tree, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SIZE gap{};
    GetTextExtentPoint32A(dc, kGap, static_cast<int>(sizeof kGap - 1), &gap);
    RECT place{row.right, row.top, client.right, row.bottom};
    if (place.left < place.right) {
        // The row right of the name is painted afresh, so a value drawn again never thickens.
        const COLORREF background = static_cast<COLORREF>(SendMessageA(editor.tree, TVM_GETBKCOLOR, 0, 0));
        HBRUSH brush = CreateSolidBrush(background == static_cast<COLORREF>(-1) ? GetSysColor(COLOR_WINDOW) : background);
        FillRect(dc, &place, brush);
        DeleteObject(brush);
        place.left += gap.cx;
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        const std::string_view shown = view.value.substr(0, Utf8CutPoint(view.value, kMaxDrawnValue));
        DrawTextA(dc, shown.data(), static_cast<int>(shown.size()), &place,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SetTextColor(dc, oldColour);
        SetBkMode(dc, oldMode);
    }
    if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace

LRESULT OnTreeCustomDraw(Editor& editor, NMTVCUSTOMDRAW& draw) {
    if (!editor.settings.ShowsValues() || !editor.items) return CDRF_DODEFAULT;
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT: DrawValue(editor, draw); return CDRF_DODEFAULT;
        default: return CDRF_DODEFAULT;
    }
}

void OnTreeInfoTip(Editor& editor, NMTVGETINFOTIPA& tip) {
    if (!tip.pszText || tip.cchTextMax <= 0) return;
    tip.pszText[0] = '\0';
    if (!editor.settings.ShowsValues() || !editor.items) return;
    const ItemView view = editor.items->GetItem(reinterpret_cast<ItemHandle>(tip.hItem));
    // The control's buffer may end within a character: the tip then ends before it.
    const std::size_t length = Utf8CutPoint(view.value, static_cast<std::size_t>(tip.cchTextMax - 1));
    std::memcpy(tip.pszText, view.value.data(), length);
    tip.pszText[length] = '\0';
}

}  // namespace tarnwick
