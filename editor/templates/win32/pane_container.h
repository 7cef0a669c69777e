#pragma once
// The pane container beside the tree: a tab control with the Options pane (chosen by the
// current item's template), the Default pane (always plain text) and the Item Information
// pane. "&Update" in a pane stores its content as the current item's value, in the tree only;
// so does saving, selecting another item or closing, for a pane the user changed since the
// item was shown. Escape in a value field brings the stored value back.

#include "config_tree.h"
#include "directory_chooser.h"
#include "registry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <memory>
#include <string_view>

#include <windows.h>
#include <commctrl.h>

namespace tarnwick {

enum PaneTab : int { kOptionsTab = 0, kDefaultTab = 1, kInformationTab = 2 };

class PaneContainer {
public:
    // `currentItem` is the editor's current item, read whenever a pane needs it.
    PaneContainer(HINSTANCE instance, ConfigTree& tree, Registry& registry, const ItemHandle& currentItem,
                  const DriveSystem& drives);
    ~PaneContainer();
    PaneContainer(const PaneContainer&) = delete;
    PaneContainer& operator=(const PaneContainer&) = delete;

    // Creates dialog 125 as a child of `parent` with its three tabs and panes.
    HWND Create(HWND parent);
    HWND Window() const { return container_; }

    // Replaces the Options pane when the template number of `name` differs from the current one.
    void ChoosePane(std::string_view name);
    // Hands the current item's value (or name, on the information tab) to the visible pane.
    void ShowItemInPanes();
    // Puts the item's name over the Options and Default panes.
    void SetHeadings(std::string_view name);
    // What the tab control's selection change does.
    void OnTabChanged();
    // Stores what a pane the user changed since the item was shown holds, as "&Update" does.
    // False, after telling the user why, when it holds nothing that can be stored: the action
    // that asked (a save, another selection, closing) must not go ahead. A pane the user did
    // not touch changes nothing, whatever it shows.
    bool ApplyChangedPane();
    // Asked before "&Update" stores a value: why `value` cannot be stored in `item`, or empty.
    using ValueCheck = std::function<std::string(ItemHandle item, std::string_view value)>;
    void SetValueCheck(ValueCheck check) { valueCheck_ = std::move(check); }
    // Where the focus goes after Escape in a value field.
    void SetEscapeTarget(HWND window) { escapeTarget_ = window; }
    // Whether a pane holds changes the user made since the item was shown.
    bool HasChangedPane() const { return changedPane_ != nullptr; }

    int CurrentTab() const { return currentTab_; }
    std::uint32_t CurrentTemplate() const { return currentTemplate_; }
    HWND OptionsPane() const { return options_; }
    HWND DefaultPane() const { return defaults_; }
    HWND InformationPane() const { return information_; }
    HWND Tabs() const { return tabs_; }
    // The directory tree of the Options pane when it is a Directory pane, else none.
    ConfigTree* Directories() const { return directories_.get(); }

private:
    static INT_PTR CALLBACK ContainerProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PaneProcedure(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ValueFieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                DWORD_PTR data);
    void RestoreStoredValue(HWND pane);

    void Initialise(HWND container);
    HWND CreatePane(std::uint32_t templateNumber);
    void PlacePane(HWND pane);
    void ShowTabPane();
    void InitialisePane(HWND pane);
    void ShowValue(HWND pane, const char* text);
    void ShowValueInControls(HWND pane, const char* text);
    void FillInformation(HWND pane, std::string_view name);
    bool Update(HWND pane);
    void CopyDirectory(HWND pane);
    void SetTemplate(HWND pane);
    bool OnDirectoryNotify(HWND pane, const NMHDR& header);
    void FillDirectories(HWND pane);

    HINSTANCE instance_;
    ConfigTree& tree_;
    Registry& registry_;
    const ItemHandle& currentItem_;
    const DriveSystem& drives_;
    std::unique_ptr<ConfigTree> directories_;  // the Directory pane's drive and folder tree
    HIMAGELIST directoryImages_ = nullptr;
    HWND container_ = nullptr;
    HWND tabs_ = nullptr;
    HWND options_ = nullptr;
    HWND defaults_ = nullptr;
    HWND information_ = nullptr;
    int currentTab_ = kOptionsTab;
    std::uint32_t currentTemplate_ = 117;
    RECT paneArea_{};
    HWND changedPane_ = nullptr;  // the pane the user changed since the item was shown
    bool showing_ = false;        // the panes' controls are being filled, not changed by the user
    HWND escapeTarget_ = nullptr;
    ValueCheck valueCheck_;
};

// The whole text of a window, however long.
std::string WindowText(HWND window);

}  // namespace tarnwick
