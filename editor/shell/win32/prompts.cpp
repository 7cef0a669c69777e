// The common dialogs and message boxes through which the main window asks the user.

#include "editor.h"

#include "apache_check.h"

#include <commdlg.h>

namespace tarnwick {

namespace {

const char kFilter[] = "Apache Config Files\0*.conf\0All Files\0*.*\0";

// Room for many chosen names at once; the dialog reports, rather than cuts, what does not fit.
constexpr DWORD kFileNameBufferBytes = 64 * 1024;

// The open and save dialogs share their set-up: owner, filter, an empty name buffer and the
// configuration directory to start in.
OPENFILENAMEA FileDialog(HWND owner, std::string& buffer, const std::string& directory) {
    buffer.assign(kFileNameBufferBytes, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = kFileNameBufferBytes;
    dialog.lpstrInitialDir = directory.c_str();
    return dialog;
}

class WindowsPrompts final : public EditorPrompts {
public:
    std::optional<OpenSelection> ChooseFilesToOpen(HWND owner, const std::string& directory) override {
        std::string buffer;
        OPENFILENAMEA dialog = FileDialog(owner, buffer, directory);
        dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
        if (!GetOpenFileNameA(&dialog)) return std::nullopt;
        return DecodeOpenSelection(buffer, dialog.nFileOffset);
    }

    std::optional<std::string> ChooseSaveAsPath(HWND owner, const std::string& directory) override {
        std::string buffer;
        OPENFILENAMEA dialog = FileDialog(owner, buffer, directory);
        if (!GetSaveFileNameA(&dialog)) return std::nullopt;
        return std::string(buffer.c_str());
    }

    bool ConfirmDelete(HWND owner) override {
        return MessageBoxA(owner, "Are you certain that you wish to delete this option?", "Confirm delete?",
                           MB_ICONQUESTION | MB_YESNO) == IDYES;
    }

    void ReportUnsavedFiles(HWND owner, const std::vector<UnsavedFile>& unsaved) override {
        MessageBoxA(owner, UnsavedFilesMessage(unsaved).c_str(), "Save", MB_ICONWARNING | MB_OK);
    }

    void ReportUnreadFiles(HWND owner, const std::vector<std::string>& paths) override {
        MessageBoxA(owner, UnreadFilesMessage(paths).c_str(), "Open", MB_ICONWARNING | MB_OK);
    }

    void ReportIncludedFiles(HWND owner, const std::string& message) override {
        MessageBoxA(owner, message.c_str(), "Open Included Files", MB_ICONINFORMATION | MB_OK);
    }

    // Not captioned like the main window: programs find that window by its title.
    void ReportNotFound(HWND owner, const std::string& message) override {
        MessageBoxA(owner, message.c_str(), "Find", MB_ICONINFORMATION | MB_OK);
    }
    void ReportNothingToPaste(HWND owner, const std::string& message) override {
        MessageBoxA(owner, message.c_str(), "Tarnwick", MB_ICONINFORMATION | MB_OK);
    }
    SaveChangesAnswer AskSaveChanges(HWND owner) override {
        switch (MessageBoxA(owner, "Save changes to the configuration files?", "Tarnwick",
                            MB_ICONQUESTION | MB_YESNOCANCEL)) {
            case IDYES: return SaveChangesAnswer::Save;
            case IDNO: return SaveChangesAnswer::Discard;
            default: return SaveChangesAnswer::Cancel;
        }
    }

    bool AskReplaceChangedFile(HWND owner, const std::string& path) override {
        return MessageBoxA(owner, ReplaceChangedFileQuestion(path).c_str(), "Save", MB_ICONWARNING | MB_YESNO) == IDYES;
    }

    SaveChangesAnswer AskSaveBeforeCheck(HWND owner) override {
        switch (MessageBoxA(owner, kSaveBeforeCheckQuestion, kApacheCheckCaption, MB_ICONQUESTION | MB_YESNOCANCEL)) {
            case IDYES: return SaveChangesAnswer::Save;
            case IDNO: return SaveChangesAnswer::Discard;
            default: return SaveChangesAnswer::Cancel;
        }
    }

    void ShowApacheCheck(HWND owner, const std::string& message, bool accepted) override {
        MessageBoxA(owner, message.c_str(), kApacheCheckCaption, (accepted ? MB_ICONINFORMATION : MB_ICONWARNING) | MB_OK);
    }
};

}  // namespace

std::unique_ptr<EditorPrompts> MakeWindowsPrompts() { return std::make_unique<WindowsPrompts>(); }

}  // namespace tarnwick
