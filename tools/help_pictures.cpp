// Takes the help file's pictures from the real editor: the package's starting configuration,
// filled in by Quick Config with the package's presets and template store, and every window
// area a help page shows. Each picture is the window's own rectangle, saved as PNG.
//   help_pictures.exe OUT_DIR CONF_DIR REGISTRY_TSV
// REGISTRY_TSV holds the registry values the package's setup.txt writes (make_package.py
// --registry). Prints one line per picture; exits non-zero when a picture could not be made.

#include "editor.h"

#include "memory_registry.h"
#include "resource.h"
#include "template_store.h"
#include "tree_walk.h"
#include "win32/win32_file_store.h"

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace tarnwick;

namespace {

// The package's values, as the installer would have written them.
void FillRegistry(MemoryRegistry& registry, const std::string& tsv) {
    std::ifstream in(tsv, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
        if (fields.size() != 4) continue;
        std::string key = fields[0];
        const std::string root = "HKEY_LOCAL_MACHINE\\";
        if (key.rfind(root, 0) != 0) continue;
        key = key.substr(root.size());
        if (fields[2] == "REG_DWORD") registry.Put(RegistryRoot::LocalMachine, key, NumberValue(fields[1], std::stoul(fields[3])));
        else registry.Put(RegistryRoot::LocalMachine, key, StringValue(fields[1], fields[3]));
    }
}

// Answers nothing: the pictures need no file dialogs or questions.
class NoPrompts final : public EditorPrompts {
public:
    std::optional<OpenSelection> ChooseFilesToOpen(HWND, const std::string&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveAsPath(HWND, const std::string&) override { return std::nullopt; }
    bool ConfirmDelete(HWND) override { return false; }
    void ReportUnsavedFiles(HWND, const std::vector<UnsavedFile>&) override {}
    void ReportUnreadFiles(HWND, const std::vector<std::string>&) override {}
    void ReportIncludedFiles(HWND, const std::string&) override {}
    void ReportNotFound(HWND, const std::string&) override {}
    SaveChangesAnswer AskSaveChanges(HWND) override { return SaveChangesAnswer::Discard; }
};

void Pump(DWORD milliseconds) {
    const DWORD until = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

CLSID PngEncoder() {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(encoders[i].MimeType) == L"image/png") return encoders[i].Clsid;
    return CLSID{};
}

std::string gOutDirectory;
int gFailures = 0;

// The window's rectangle as the display shows it (within the client area of `within`, when
// given), saved as OUT_DIR\name.png.
void Capture(HWND window, const char* name, HWND within = nullptr) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Pump(300);
    RECT rect{};
    GetWindowRect(window, &rect);
    if (within) {
        RECT client{};
        GetClientRect(within, &client);
        MapWindowPoints(within, nullptr, reinterpret_cast<POINT*>(&client), 2);
        IntersectRect(&rect, &rect, &client);
    }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    SelectObject(memory, old);
    const std::string path = gOutDirectory + "\\" + name + ".png";
    const std::wstring widePath(path.begin(), path.end());
    bool saved = false;
    if (copied && width > 0 && height > 0) {
        Gdiplus::Bitmap picture(bitmap, nullptr);
        const CLSID png = PngEncoder();
        saved = picture.Save(widePath.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%s %s (%dx%d)\n", saved ? "captured" : "FAILED", path.c_str(), width, height);
    if (!saved) ++gFailures;
}

// A modal dialog to capture: a timer inside its message loop finds it by caption, captures
// it, then presses `button`.
struct PendingDialog {
    const char* caption;
    const char* picture;
    int button;
};
PendingDialog gPending;

void CALLBACK CaptureDialogTick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", gPending.caption);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    Capture(dialog, gPending.picture);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(gPending.button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, gPending.button)));
}

void CaptureDialog(PendingDialog pending, const std::function<void()>& open) {
    gPending = std::move(pending);
    SetTimer(nullptr, 0, 100, CaptureDialogTick);
    open();
    Pump(100);
}

ItemHandle Find(Editor& editor, const char* name) { return FindItemByName(*editor.items, kNoItem, name); }

void ShowItem(Editor& editor, const char* name, int tab) {
    const ItemHandle item = Find(editor, name);
    if (item == kNoItem) {
        std::printf("FAILED: no item %s\n", name);
        ++gFailures;
        return;
    }
    editor.items->SelectItem(item);
    SendMessageA(editor.panes->Tabs(), TCM_SETCURSEL, tab, 0);
    editor.panes->OnTabChanged();
    Pump(200);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: help_pictures.exe OUT_DIR CONF_DIR REGISTRY_TSV\n");
        return 2;
    }
    gOutDirectory = argv[1];
    CreateDirectoryA(gOutDirectory.c_str(), nullptr);
    Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartup(&gdiplus, &startup, nullptr);

    MemoryRegistry registry;
    FillRegistry(registry, argv[3]);
    // A directive given the Yes or No pane, as a user does with Set Template: none of
    // Apache's own takes yes or no.
    registry.Put(RegistryRoot::LocalMachine, TemplateKey("Example"), NumberValue("Template", kYesNoPane));
    Win32FileStore files;
    NoPrompts prompts;
    InitCommonControls();
    LoadLibraryA("RICHED32.DLL");
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterEditorClasses(instance);
    Editor editor(instance, registry, files, prompts);
    if (!CreateEditorWindow(editor)) return 1;
    editor.settings.defaultConfigFilePath = argv[2];
    SetWindowPos(editor.window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    Pump(300);

    CaptureDialog({"Quick Configuration...", "quick-config", IDOK}, [&] { ShowQuickConfigDialog(editor); });
    // The Yes or No example, beside the starting configuration's own directives.
    ItemView example;
    example.text = "Example";
    example.value = "yes";
    example.hasValue = true;
    example.image = example.selectedImage = kDirectiveImage;
    editor.items->InsertItem(editor.items->FirstFileItem(), InsertPosition::Last(), example);

    ShowItem(editor, "Listen", kOptionsTab);
    Capture(editor.window, "main-window");
    // Each pane kind, and the Item Information tab, on an item that shows it.
    const struct {
        const char* item;
        int tab;
        const char* picture;
    } panes[] = {
        {"ServerName", kOptionsTab, "pane-general"}, {"Example", kOptionsTab, "pane-yes-no"},
        {"KeepAlive", kOptionsTab, "pane-on-off"},   {"Timeout", kOptionsTab, "pane-number"},
        {"DocumentRoot", kOptionsTab, "pane-directory"}, {"Listen", kInformationTab, "item-information"},
    };
    for (const auto& pane : panes) {
        ShowItem(editor, pane.item, pane.tab);
        Capture(editor.panes->Tabs(), pane.picture, editor.window);
    }
    CaptureDialog({"Set Template Info...", "set-template", IDCANCEL}, [&] {
        SendMessageA(editor.panes->InformationPane(), WM_COMMAND, MAKEWPARAM(IDC_INFO_SET_TEMPLATE, BN_CLICKED), 0);
    });
    // On a file item, New Item offers every name a file may hold.
    editor.items->SelectItem(editor.items->FirstFileItem());
    Pump(200);
    CaptureDialog({"Add New Configuration Item", "new-item", IDCANCEL}, [&] { ShowNewItem(editor); });
    CaptureDialog({"Options...", "options", IDCANCEL}, [&] { ShowOptionsDialog(editor); });

    DestroyWindow(editor.window);
    Pump(100);
    Gdiplus::GdiplusShutdown(gdiplus);
    return gFailures == 0 ? 0 : 1;
}
