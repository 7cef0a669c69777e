#pragma once
// The real main window driven by keys as the user's keyboard sends them (SendInput), through
// the program's own message loop step, over Debian-style files.

#include "main_window_fixture.h"

#include <atomic>
#include <cstring>
#include <optional>
#include <thread>

namespace tarnwick::testing {

inline constexpr char kApache2[] =
    "# This is the main Apache server configuration file.\n"
    "ServerRoot \"/etc/apache2\"\n"
    "Timeout 300\n"
    "KeepAlive On\n"
    "LogLevel warn\n"
    "<Directory />\n"
    "\tOptions FollowSymLinks\n"
    "\tAllowOverride None\n"
    "\tRequire all denied\n"
    "</Directory>\n"
    "<Directory /var/www/>\n"
    "\tOptions Indexes FollowSymLinks\n"
    "</Directory>\n"
    "LogFormat \"%h %l %u %t \\\"%r\\\" %>s %O\" common\n";
inline constexpr char kPorts[] = "Listen 80\n<IfModule ssl_module>\n\tListen 443\n</IfModule>\n";
inline constexpr char kDefaultSite[] =
    "<VirtualHost *:80>\n"
    "\tServerAdmin webmaster@localhost\n"
    "\tDocumentRoot /var/www/html\n"
    "\tErrorLog ${APACHE_LOG_DIR}/error.log\n"
    "\t# the access log of the default site\n"
    "\tCustomLog ${APACHE_LOG_DIR}/access.log combined\n"
    "</VirtualHost>\n"
    "<VirtualHost *:8080>\n"
    "\tServerName other.example\n"
    "\tCustomLog ${APACHE_LOG_DIR}/other.log combined\n"
    "</VirtualHost>\n";

class FindingAndKeys : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        files.AddFile("C:\\etc\\apache2\\apache2.conf", kApache2);
        files.AddFile("C:\\etc\\apache2\\ports.conf", kPorts);
        files.AddFile("C:\\etc\\apache2\\000-default.conf", kDefaultSite);
        accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
        // The display may give the window the keyboard a moment late (a window of the last
        // test, or of another program, still going): ask until it has it.
        for (int attempt = 0; attempt < 40; ++attempt) {
            SetForegroundWindow(editor.window);
            SetActiveWindow(editor.window);
            SetFocus(editor.tree);
            Pump(50);
            if (GetFocus() == editor.tree && GetForegroundWindow() == editor.window) break;
        }
    }
    void TearDown() override {
        ReleaseKeys();
        if (editor.find.dialog) DestroyWindow(editor.find.dialog);
        if (accelerators) DestroyAcceleratorTable(accelerators);
        MainWindow::TearDown();
    }

    void OpenDebianFiles() {
        prompts.open = OpenSelection{"C:\\etc\\apache2\\", {"apache2.conf", "ports.conf", "000-default.conf"}};
        Command(CMD_OPEN);
        Pump(100);
    }

    // The program's own message loop, for a while: every message takes the step it takes there.
    void Pump(DWORD milliseconds) {
        const DWORD until = GetTickCount() + milliseconds;
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (TranslateEditorMessage(editor, accelerators, message)) continue;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            Sleep(5);
        } while (static_cast<LONG>(until - GetTickCount()) > 0);
    }

    static void Send(WORD key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        if (key == VK_APPS) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        SendInput(1, &input, sizeof input);
    }
    static void ReleaseKeys() {
        for (WORD key : {WORD(VK_SHIFT), WORD(VK_CONTROL), WORD(VK_MENU)}) Send(key, true);
    }

    // One key as the keyboard sends it, with its modifiers held, then the loop runs a while.
    void Press(WORD key, std::initializer_list<WORD> held = {}, DWORD settle = 150) {
        for (WORD modifier : held) Send(modifier, false);
        Send(key, false);
        Send(key, true);
        for (WORD modifier : held) Send(modifier, true);
        Pump(settle);
    }
    void Type(const std::string& text) {
        for (char c : text) {
            const SHORT scan = VkKeyScanA(c);
            if (scan & 0x100) Press(LOBYTE(scan), {VK_SHIFT}, 20);
            else Press(LOBYTE(scan), {}, 20);
        }
        Pump(100);
    }

    std::string Label(ItemHandle item) {
        if (!item) return "(none)";
        const ItemView view = editor.items->GetItem(item);
        return std::string(view.text) + " " + std::string(view.value);
    }
    std::string SelectedLabel() { return Label(editor.items->SelectedItem()); }
    bool Expanded(ItemHandle item) {
        return (SendMessageA(editor.tree, TVM_GETITEMSTATE, static_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }
    RECT ItemRect(ItemHandle item, bool textOnly = true) {
        RECT rect{};
        // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
        const HTREEITEM handle = reinterpret_cast<HTREEITEM>(item);
        std::memcpy(&rect, &handle, sizeof handle);
        SendMessageA(editor.tree, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    // Where the menu a key opens stands; a watcher notes it and closes the menu with Escape,
    // as a user would. Nothing when no menu opened.
    std::optional<RECT> MenuOpenedBy(WORD key, std::initializer_list<WORD> held) {
        std::atomic<bool> seen{false};
        RECT menu{};
        std::thread watcher([&] {
            for (int i = 0; i < 200 && !seen; ++i) {
                HWND popup = FindWindowA("#32768", nullptr);
                if (popup && IsWindowVisible(popup)) {
                    GetWindowRect(popup, &menu);
                    seen = true;
                    Sleep(50);
                    Send(VK_ESCAPE, false);
                    Send(VK_ESCAPE, true);
                }
                Sleep(20);
            }
        });
        Press(key, held, 300);
        watcher.join();
        Pump(100);
        if (!seen) return std::nullopt;
        return menu;
    }
    bool IsVisibleRow(ItemHandle item) {
        RECT client{};
        GetClientRect(editor.tree, &client);
        const RECT row = ItemRect(item);
        return row.bottom > row.top && row.top >= 0 && row.bottom <= client.bottom;
    }
    std::string ClassOf(HWND window) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        return name;
    }

    HACCEL accelerators = nullptr;
};

}  // namespace tarnwick::testing
