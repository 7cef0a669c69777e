#include "pane_container.h"

#include "code_page.h"
#include "pane_values.h"
#include "resource.h"
#include "template_store.h"
#include "win32/item_dialogs.h"
#include "win32/tree_view_items.h"

#include <commctrl.h>

namespace tarnwick {

namespace {

const char* const kTabTexts[] = {"Options", "Default", "Item Information"};

PaneContainer* ContainerOf(HWND window) { return reinterpret_cast<PaneContainer*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

}  // namespace

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
    return text;
}

PaneContainer::PaneContainer(HINSTANCE instance, ConfigTree& tree, Registry& registry, const ItemHandle& currentItem,
                             const DriveSystem& drives)
    : instance_(instance), tree_(tree), registry_(registry), currentItem_(currentItem), drives_(drives) {}

PaneContainer::~PaneContainer() {
    if (container_ && IsWindow(container_)) DestroyWindow(container_);
    directories_.reset();
    if (directoryImages_) ImageList_Destroy(directoryImages_);
}

HWND PaneContainer::Create(HWND parent) {
    return CreateDialogParamA(instance_, MAKEINTRESOURCEA(IDD_PANE_CONTAINER), parent, ContainerProcedure,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK PaneContainer::ContainerProcedure(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        reinterpret_cast<PaneContainer*>(lParam)->Initialise(dialog);
        return TRUE;
    }
    PaneContainer* self = ContainerOf(dialog);
    if (!self) return FALSE;
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == self->tabs_ && header->code == TCN_SELCHANGE) {
            self->OnTabChanged();
            return TRUE;
        }
    } else if (message == WM_DESTROY) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        self->container_ = nullptr;
    }
    return FALSE;
}

void PaneContainer::Initialise(HWND container) {
    container_ = container;
    tabs_ = GetDlgItem(container, IDC_PANE_TABS);
    // The dialog is taller than its tab control, and taller than the room above the
    // description box: its empty bottom would cover the description's first line.
    RECT whole{}, tabs{};
    GetWindowRect(container_, &whole);
    GetWindowRect(tabs_, &tabs);
    if (tabs.bottom < whole.bottom)
        SetWindowPos(container_, nullptr, 0, 0, whole.right - whole.left, tabs.bottom - whole.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int index = 0; index < 3; ++index) {
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char*>(kTabTexts[index]);
        SendMessageA(tabs_, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&tab));
    }
    currentTemplate_ = kGeneralPane;
    defaults_ = CreatePane(IDD_PANE_GENERAL);
    information_ = CreatePane(IDD_PANE_INFORMATION);
    options_ = CreatePane(IDD_PANE_GENERAL);
    for (HWND pane : {defaults_, information_, options_}) PlacePane(pane);
    currentTab_ = kOptionsTab;
    ShowTabPane();
}

HWND PaneContainer::CreatePane(std::uint32_t templateNumber) {
    return CreateDialogParamA(instance_, MAKEINTRESOURCEA(templateNumber), tabs_, PaneProcedure,
                              reinterpret_cast<LPARAM>(this));
}

// Every pane sits at the top-left corner of the tab control's display area.
void PaneContainer::PlacePane(HWND pane) {
    if (!pane) return;
    RECT area{};
    GetWindowRect(tabs_, &area);
    OffsetRect(&area, -area.left, -area.top);
    SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    paneArea_ = area;
    SetWindowPos(pane, nullptr, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void PaneContainer::ShowTabPane() {
    const HWND panes[] = {options_, defaults_, information_};
    for (int index = 0; index < 3; ++index)
        if (panes[index]) ShowWindow(panes[index], index == currentTab_ ? SW_SHOW : SW_HIDE);
}

void PaneContainer::OnTabChanged() {
    currentTab_ = static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0));
    ShowItemInPanes();
    ShowTabPane();
}

void PaneContainer::ChoosePane(std::string_view name) {
    const std::uint32_t number = TemplateNumber(registry_, name);
    if (number == currentTemplate_) return;
    // The number is set first: the new pane's initialisation goes by it.
    currentTemplate_ = number;
    if (changedPane_ == options_) changedPane_ = nullptr;
    if (options_) DestroyWindow(options_);
    directories_.reset();
    options_ = IsPaneKind(number) ? CreatePane(number) : nullptr;  // no pane kind: the tab stays empty
    PlacePane(options_);
    if (options_ && currentTab_ == kOptionsTab) ShowWindow(options_, SW_SHOW);
}

void PaneContainer::ShowItemInPanes() {
    std::string name, value;
    if (currentItem_ != kNoItem) {
        const ItemView item = tree_.GetItem(currentItem_);
        name = std::string(item.text);
        value = std::string(item.value);
    }
    switch (currentTab_) {
        case kOptionsTab:
            if (options_) SendMessageA(options_, WM_SHOW_VALUE, 0, reinterpret_cast<LPARAM>(value.c_str()));
            break;
        case kDefaultTab: SendMessageA(defaults_, WM_SHOW_VALUE, 0, reinterpret_cast<LPARAM>(value.c_str())); break;
        default: SendMessageA(information_, WM_SHOW_VALUE, 0, reinterpret_cast<LPARAM>(name.c_str())); break;
    }
    ChoosePane(name);
}

void PaneContainer::SetHeadings(std::string_view name) {
    const std::string heading(name);
    SetDlgItemTextA(defaults_, IDC_PANE_HEADING, heading.c_str());
    if (options_) SetDlgItemTextA(options_, IDC_PANE_HEADING, heading.c_str());
}

INT_PTR CALLBACK PaneContainer::PaneProcedure(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(pane, GWLP_USERDATA, lParam);
        reinterpret_cast<PaneContainer*>(lParam)->InitialisePane(pane);
        return TRUE;
    }
    PaneContainer* self = ContainerOf(pane);
    if (!self) return FALSE;
    switch (message) {
        case WM_SHOW_VALUE:
            self->ShowValue(pane, lParam ? reinterpret_cast<const char*>(lParam) : "");
            return TRUE;
        case WM_COMMAND:
            // Typing, the arrows (they change the number's field) and "&Copy" all change the
            // field; the two buttons change the choice.
            if (!self->showing_ && ((HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_PANE_VALUE) ||
                                    (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDC_PANE_FIRST_CHOICE ||
                                                                      LOWORD(wParam) == IDC_PANE_SECOND_CHOICE))))
                self->changedPane_ = pane;
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
                case IDOK: self->Update(pane); return TRUE;
                case IDCANCEL: self->CopyDirectory(pane); return TRUE;
                case IDC_INFO_SET_TEMPLATE: self->SetTemplate(pane); return TRUE;
                default: break;
            }
            break;
        case WM_NOTIFY:
            if (self->OnDirectoryNotify(pane, *reinterpret_cast<const NMHDR*>(lParam))) {
                SetWindowLongPtrA(pane, DWLP_MSGRESULT, 0);  // the tree goes ahead
                return TRUE;
            }
            break;
        case WM_DESTROY:
            if (self->changedPane_ == pane) self->changedPane_ = nullptr;
            SetWindowLongPtrA(pane, GWLP_USERDATA, 0);
            break;
    }
    return FALSE;
}

// Escape belongs to the value field: in a pane, the dialog would take it as id 2, which is the
// Directory pane's "&Copy" button.
LRESULT CALLBACK PaneContainer::ValueFieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                    DWORD_PTR data) {
    auto* self = reinterpret_cast<PaneContainer*>(data);
    switch (message) {
        case WM_GETDLGCODE:
            if (lParam && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN && wParam == VK_ESCAPE)
                return DefSubclassProc(field, message, wParam, lParam) | DLGC_WANTMESSAGE;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                self->RestoreStoredValue(GetParent(field));
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == 0x1B) return 0;  // no beep for the Escape already handled
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(field, ValueFieldProcedure, 0); break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

void PaneContainer::RestoreStoredValue(HWND pane) {
    std::string value;
    if (currentItem_ != kNoItem) value = std::string(tree_.GetItem(currentItem_).value);
    ShowValue(pane, value.c_str());
    if (escapeTarget_) SetFocus(escapeTarget_);
}

bool PaneContainer::ApplyChangedPane() {
    if (!changedPane_) return true;
    if (!IsWindow(changedPane_)) {
        changedPane_ = nullptr;
        return true;
    }
    return Update(changedPane_);
}

void PaneContainer::InitialisePane(HWND pane) {
    // Values of any length can be shown and edited: nothing is cut on "&Update".
    if (HWND edit = GetDlgItem(pane, IDC_PANE_VALUE)) {
        SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
        SetWindowSubclass(edit, ValueFieldProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    if (currentTemplate_ == kNumericalPane && pane != defaults_ && pane != information_)
        SendMessageA(GetDlgItem(pane, IDC_PANE_UPDOWN), UDM_SETRANGE, 0, MAKELPARAM(kNumericalPaneMaximum, 0));
    if ((currentTemplate_ == kSlashDirectoryPane || currentTemplate_ == kBackslashDirectoryPane) && pane != defaults_ &&
        pane != information_)
        FillDirectories(pane);
}

void PaneContainer::FillDirectories(HWND pane) {
    HWND tree = GetDlgItem(pane, IDC_PANE_DIRECTORIES);
    if (!tree) return;
    if (!directoryImages_) {
        // Magenta is the pictures' transparent colour, as in the main tree's images.
        directoryImages_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 7, 7);
        for (int bitmap : {IDB_FILE_CLOSED, IDB_FILE_OPEN, IDB_DRIVE_REMOVABLE, IDB_DRIVE_FIXED, IDB_DRIVE_REMOTE,
                           IDB_DRIVE_CDROM, IDB_DRIVE_FIXED}) {
            auto picture = static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(bitmap), IMAGE_BITMAP, 0, 0, 0));
            ImageList_AddMasked(directoryImages_, picture, RGB(255, 0, 255));
            DeleteObject(picture);
        }
    }
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(directoryImages_));
    directories_ = std::make_unique<TreeViewItems>(tree);
    FillDriveList(*directories_, drives_);
}

bool PaneContainer::OnDirectoryNotify(HWND pane, const NMHDR& header) {
    const bool directoryPane = currentTemplate_ == kSlashDirectoryPane || currentTemplate_ == kBackslashDirectoryPane;
    if (!directoryPane || pane != options_ || !directories_ || header.idFrom != IDC_PANE_DIRECTORIES ||
        header.code != TVN_ITEMEXPANDINGA)
        return false;
    const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
    const auto item = reinterpret_cast<ItemHandle>(change.itemNew.hItem);
    if (change.action & TVE_EXPAND) ExpandFolder(*directories_, drives_, item);
    else if (change.action & TVE_COLLAPSE) PruneFolder(*directories_, item);
    return true;
}

void PaneContainer::CopyDirectory(HWND pane) {
    if (pane != options_ || !directories_) return;
    const char separator = currentTemplate_ == kSlashDirectoryPane ? '/' : '\\';
    const std::string path = BuildItemPath(*directories_, directories_->SelectedItem(), separator);
    SetDlgItemTextA(pane, IDC_PANE_VALUE, path.c_str());
}

void PaneContainer::SetTemplate(HWND pane) {
    const std::uint32_t chosen = ShowSetTemplateDialog(instance_, pane, registry_);
    if (chosen == 0) return;
    // The name is the Default pane's heading, which the last selection set to the item's name.
    const std::string name = CutBetweenCharacters(WindowText(GetDlgItem(defaults_, IDC_PANE_HEADING)), kMaxItemTextLength);
    if (!AssignTemplate(registry_, name, chosen)) return;  // no template key: nothing written, nothing said
    ShowItemInPanes();
}

void PaneContainer::ShowValue(HWND pane, const char* text) {
    // What is shown now is the item's own value: the pane holds no change of the user's.
    showing_ = true;
    ShowValueInControls(pane, text);
    showing_ = false;
    if (changedPane_ == pane) changedPane_ = nullptr;
}

void PaneContainer::ShowValueInControls(HWND pane, const char* text) {
    if (pane == information_) {
        FillInformation(pane, text);
        return;
    }
    if (pane == defaults_) {
        SetDlgItemTextA(pane, IDC_PANE_VALUE, text);
        return;
    }
    switch (currentTemplate_) {
        case kOnOffPane: CheckRadioButton(pane, IDC_PANE_FIRST_CHOICE, IDC_PANE_SECOND_CHOICE,
                                          ShowsOn(text) ? IDC_PANE_FIRST_CHOICE : IDC_PANE_SECOND_CHOICE);
            break;
        case kNumericalPane:
            SendMessageA(GetDlgItem(pane, IDC_PANE_UPDOWN), UDM_SETPOS, 0, MAKELPARAM(UpDownPosition(text), 0));
            SetDlgItemTextA(pane, IDC_PANE_VALUE, text);  // the value exactly as stored
            break;
        case kYesNoPane: {
            // Neither button when the value is neither a yes nor a no: "&Update" then keeps it.
            const std::optional<bool> yes = YesNoChoice(text);
            CheckDlgButton(pane, IDC_PANE_FIRST_CHOICE, yes == true ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(pane, IDC_PANE_SECOND_CHOICE, yes == false ? BST_CHECKED : BST_UNCHECKED);
            break;
        }
        default: SetDlgItemTextA(pane, IDC_PANE_VALUE, text); break;
    }
}

void PaneContainer::FillInformation(HWND pane, std::string_view name) {
    const std::string text(name);
    SetDlgItemTextA(pane, IDC_INFO_NAME, text.c_str());
    SetDlgItemTextA(pane, IDC_INFO_RANK, std::to_string(NestingRank(registry_, name)).c_str());
    SetDlgItemTextA(pane, IDC_INFO_TEMPLATE, std::to_string(TemplateNumber(registry_, name)).c_str());
    SetDlgItemTextA(pane, IDC_INFO_DEFAULT, DefaultValue(registry_, name).c_str());
}

bool PaneContainer::Update(HWND pane) {
    const bool changed = changedPane_ == pane;
    const std::uint32_t kind = pane == defaults_ ? kGeneralPane : currentTemplate_;
    std::string value;
    switch (kind) {
        case kYesNoPane:
            if (IsDlgButtonChecked(pane, IDC_PANE_FIRST_CHOICE) != BST_CHECKED &&
                IsDlgButtonChecked(pane, IDC_PANE_SECOND_CHOICE) != BST_CHECKED) {
                if (changed) changedPane_ = nullptr;
                return true;  // no choice made: the value stays as it is
            }
            value = SwitchValue(IsDlgButtonChecked(pane, IDC_PANE_FIRST_CHOICE) == BST_CHECKED);
            break;
        case kOnOffPane: value = SwitchValue(IsDlgButtonChecked(pane, IDC_PANE_FIRST_CHOICE) == BST_CHECKED); break;
        case kNumericalPane: {
            const std::string text = WindowText(GetDlgItem(pane, IDC_PANE_VALUE));
            const std::optional<std::uint16_t> number = WholeNumberUpTo(text, kNumericalPaneMaximum);
            if (!number) {
                // What the user typed is said; a value the pane was merely shown stays unsaid.
                if (!changed) return true;
                MessageBoxA(GetAncestor(pane, GA_ROOT), NotANumberMessage(text).c_str(), "Update", MB_ICONWARNING | MB_OK);
                SetFocus(GetDlgItem(pane, IDC_PANE_VALUE));
                return false;
            }
            value = std::to_string(*number);
            break;
        }
        default: value = WindowText(GetDlgItem(pane, IDC_PANE_VALUE)); break;
    }
    if (currentItem_ != kNoItem && valueCheck_) {
        if (const std::string refused = valueCheck_(currentItem_, value); !refused.empty()) {
            MessageBoxA(GetAncestor(pane, GA_ROOT), refused.c_str(), "Update", MB_ICONWARNING | MB_OK);
            SetFocus(GetDlgItem(pane, IDC_PANE_VALUE));
            return false;
        }
    }
    if (changed) changedPane_ = nullptr;
    if (currentItem_ != kNoItem) tree_.SetItemValue(currentItem_, value);
    return true;
}

}  // namespace tarnwick
