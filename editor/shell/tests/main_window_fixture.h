#pragma once
// The real main window, created in-process and driven with messages, over an in-memory file
// store and registry: the common dialogs and message boxes answer through test prompts.

#include "editor.h"
#include "test_prompts.h"

#include "memory_file_store.h"
#include "memory_registry.h"
#include "resource.h"
#include "template_store.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace tarnwick::testing {

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareEditorWindows(); }

    void SetUp() override {
        files.AddFile("C:\\conf\\httpd.conf", "Port 80\nKeepAlive ON\n<Directory />\nOptions None\n</Directory>\n");
        files.AddFile("C:\\conf\\srm.conf", "DocumentRoot \"C:/web\"\nKeepAlive yes\n");
        registry.Put(RegistryRoot::LocalMachine, TemplateKey("KeepAlive"), NumberValue("Template", kOnOffPane));
        registry.Put(RegistryRoot::LocalMachine, TemplateKey("KeepAlive"), StringValue("Description", "Keep connections open."));
        registry.Put(RegistryRoot::LocalMachine, TemplateKey("Port"), NumberValue("Template", kNumericalPane));
        registry.Put(RegistryRoot::LocalMachine, TemplateKey("Port"), NumberValue("Parent", 3));
        registry.Put(RegistryRoot::LocalMachine, TemplateKey("Port"), StringValue("Default", "80"));
        registry.Put(RegistryRoot::LocalMachine, TemplateKey("HostnameLookups"), NumberValue("Template", kYesNoPane));
        ASSERT_NE(CreateEditorWindow(editor), nullptr);
    }

    void TearDown() override { CloseEditorWindow(editor); }

    void Command(int command) { SendMessageA(editor.window, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

    void OpenBoth() {
        prompts.open = OpenSelection{"C:\\conf\\", {"httpd.conf", "srm.conf"}};
        Command(CMD_OPEN);
    }

    ItemHandle Find(const char* name) { return FindItemByName(*editor.items, kNoItem, name); }

    void Select(ItemHandle item) { editor.items->SelectItem(item); }

    std::string Value(ItemHandle item) { return std::string(editor.items->GetItem(item).value); }

    void ClickUpdate(HWND pane) { SendMessageA(pane, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

    void ChooseTab(int tab) {
        SendMessageA(editor.panes->Tabs(), TCM_SETCURSEL, tab, 0);
        NMHDR header{editor.panes->Tabs(), IDC_PANE_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(editor.panes->Window(), WM_NOTIFY, IDC_PANE_TABS, reinterpret_cast<LPARAM>(&header));
    }

    RECT ChildRect(HWND child) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, editor.window, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    MemoryRegistry registry;
    MemoryFileStore files;
    TestPrompts prompts;
    Editor editor{GetModuleHandleA(nullptr), registry, files, prompts};
};

}  // namespace tarnwick::testing
