#include "item_dialogs.h"

#include "code_page.h"
#include "new_item.h"
#include "resource.h"
#include "template_store.h"
#include "win32/pane_container.h"

namespace tarnwick {

namespace {

template <typename Data>
Data* DataOf(HWND dialog) { return reinterpret_cast<Data*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

// The names offered are those the new item's parent may hold.
std::string ParentName(const NewItemRequest& request) {
    const ItemHandle parent = PlaceForNewItem(request.tree, request.registry, request.currentItem).parent;
    return parent ? std::string(request.tree.GetItem(parent).text) : std::string();
}

void AcceptNewItem(HWND dialog, NewItemRequest& request) {
    while (request.currentItem == kNoItem && request.askForFileItem) request.askForFileItem();
    std::string name = CutBetweenCharacters(WindowText(GetDlgItem(dialog, IDC_NAME_COMBO)), kMaxItemTextLength);
    request.added = InsertNewItem(request.tree, request.registry,
                                  PlaceForNewItem(request.tree, request.registry, request.currentItem), name);
    EndDialog(dialog, request.added != kNoItem ? IDOK : IDCANCEL);
}

// The name field remembers whether its last key deleted (Backspace, Delete): type-ahead then
// leaves the field alone, or the deleted letters would come straight back.
constexpr const char* kFieldProcedureProperty = "Tarnwick.FieldProcedure";
constexpr const char* kDeletingProperty = "Tarnwick.Deleting";
constexpr const char* kCompletingProperty = "Tarnwick.Completing";

LRESULT CALLBACK NameFieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetPropA(field, kFieldProcedureProperty));
    if (message == WM_CHAR) SetPropA(field, kDeletingProperty, reinterpret_cast<HANDLE>(wParam == VK_BACK ? 1 : 0));
    if (message == WM_KEYDOWN && wParam == VK_DELETE) SetPropA(field, kDeletingProperty, reinterpret_cast<HANDLE>(1));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(field, kFieldProcedureProperty);
        RemovePropA(field, kDeletingProperty);
    }
    return original ? CallWindowProcA(original, field, message, wParam, lParam) : DefWindowProcA(field, message, wParam, lParam);
}

HWND NameField(HWND combo) {
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    return GetComboBoxInfo(combo, &parts) ? parts.hwndItem : nullptr;
}

void WatchNameField(HWND combo) {
    HWND field = NameField(combo);
    if (!field) return;
    SetPropA(field, kFieldProcedureProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(field, GWLP_WNDPROC)));
    SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NameFieldProcedure));
}

// Type-ahead: typing selects the first offered name that begins with what was typed and puts
// it in the field, the part not typed selected so that typing goes on over it.
void SelectTypedName(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_NAME_COMBO);
    const std::string typed = WindowText(combo);
    if (typed.empty()) return;
    const LRESULT found = SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(typed.c_str()));
    if (found == CB_ERR) return;
    HWND field = NameField(combo);
    if (field && GetPropA(field, kDeletingProperty)) {
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        if (GetComboBoxInfo(combo, &parts)) SendMessageA(parts.hwndList, LB_SETCURSEL, found, 0);
        return;
    }
    // Putting the name in the field must not count as typing again.
    if (GetPropA(dialog, kCompletingProperty)) return;
    SetPropA(dialog, kCompletingProperty, reinterpret_cast<HANDLE>(1));
    SendMessageA(combo, CB_SETCURSEL, found, 0);
    // The field counts in characters (UTF-16 units), not in the bytes of what was typed.
    SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(Utf16Length(typed), -1));
    RemovePropA(dialog, kCompletingProperty);
}

INT_PTR CALLBACK NewItemProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        auto& request = *reinterpret_cast<NewItemRequest*>(lParam);
        HWND combo = GetDlgItem(dialog, IDC_NAME_COMBO);
        for (const std::string& name : OfferedNames(request.registry, ParentName(request)))
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        WatchNameField(combo);
        return TRUE;
    }
    auto* request = DataOf<NewItemRequest>(dialog);
    if (message != WM_COMMAND || !request) return FALSE;
    const int command = LOWORD(wParam);
    if (command == IDC_NAME_COMBO && HIWORD(wParam) == CBN_EDITCHANGE) {
        SelectTypedName(dialog);
        return TRUE;
    }
    if (command == IDOK || (command == IDC_NAME_COMBO && HIWORD(wParam) == CBN_DBLCLK)) {
        AcceptNewItem(dialog, *request);
        return TRUE;
    }
    if (command == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

struct TemplateChoiceData {
    const Registry& registry;
};

void EndWithSelection(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    const LRESULT number = selected == LB_ERR ? 0 : SendMessageA(list, LB_GETITEMDATA, selected, 0);
    EndDialog(dialog, number == LB_ERR ? 0 : number);
}

INT_PTR CALLBACK SetTemplateProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto& data = *reinterpret_cast<TemplateChoiceData*>(lParam);
        HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
        for (const TemplateChoice& choice : ReadTemplateList(data.registry)) {
            const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.label.c_str()));
            if (index != LB_ERR && index != LB_ERRSPACE) SendMessageA(list, LB_SETITEMDATA, index, choice.templateNumber);
        }
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int command = LOWORD(wParam);
    if (command == IDOK || (command == IDC_TEMPLATE_LIST && HIWORD(wParam) == LBN_DBLCLK)) {
        EndWithSelection(dialog);
        return TRUE;
    }
    if (command == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool ShowNewItemDialog(HINSTANCE instance, HWND owner, NewItemRequest& request) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_NEW_ITEM), owner, NewItemProcedure,
                           reinterpret_cast<LPARAM>(&request)) == IDOK;
}

std::uint32_t ShowSetTemplateDialog(HINSTANCE instance, HWND owner, const Registry& registry) {
    TemplateChoiceData data{registry};
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SET_TEMPLATE), owner, SetTemplateProcedure,
                                           reinterpret_cast<LPARAM>(&data));
    return result > 0 ? static_cast<std::uint32_t>(result) : 0;
}

}  // namespace tarnwick
