// Start-up, the message loop and shut-down of the editor.

#include "editor.h"

#include "resource.h"
#include "tree_walk.h"
#include "win32/win32_file_store.h"
#include "win32/win32_registry.h"

#include <commctrl.h>

namespace tarnwick {

int RunEditor(HINSTANCE instance, const std::string& commandLine) {
    InitCommonControls();
    LoadLibraryA("RICHED32.DLL");  // provides the "RichEdit" class; never unloaded
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
    RegisterEditorClasses(instance);

    Win32Registry registry;
    Win32FileStore files;
    const std::unique_ptr<EditorPrompts> prompts = MakeWindowsPrompts();
    Editor editor(instance, registry, files, *prompts);
    HWND window = CreateEditorWindow(editor);
    if (window) OpenCommandLineFiles(editor, commandLine);

    MSG message{};
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateEditorMessage(editor, accelerators, message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    if (accelerators) DestroyAcceleratorTable(accelerators);
    ShutDownEditor(editor);
    UnregisterEditorClasses(instance);
    return 0;
}

void ShutDownEditor(Editor& editor) {
    if (editor.items) ReleaseTreeValues(*editor.items);
    SaveSettings(editor.registry, editor.settings,
                 editor.document ? editor.document->configDirectory : editor.settings.defaultConfigPath);
}

}  // namespace tarnwick
