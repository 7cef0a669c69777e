#pragma once
// Answers the main window's questions in place of the user, and runs modal dialogs by script.

#include "editor.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>

namespace tarnwick::testing {

class TestPrompts final : public EditorPrompts {
public:
    std::optional<OpenSelection> ChooseFilesToOpen(HWND, const std::string& directory) override {
        openedFrom = directory;
        return open;
    }
    std::optional<std::string> ChooseSaveAsPath(HWND, const std::string&) override { return saveAs; }
    bool ConfirmDelete(HWND) override {
        ++deleteQuestions;
        return answerYes;
    }
    void ReportUnsavedFiles(HWND, const std::vector<UnsavedFile>& files) override {
        unsaved.clear();
        for (const UnsavedFile& file : files) unsaved.push_back(file.path);
        unsavedReports.push_back(files);
    }
    void ReportUnreadFiles(HWND, const std::vector<std::string>& paths) override { unreadReports.push_back(paths); }
    void ReportIncludedFiles(HWND, const std::string& message) override { includedReports.push_back(message); }
    void ReportNotFound(HWND, const std::string& message) override { notFoundReports.push_back(message); }
    void ReportNothingToPaste(HWND, const std::string& message) override { pasteReports.push_back(message); }
    SaveChangesAnswer AskSaveChanges(HWND) override {
        ++saveQuestions;
        return saveAnswer;
    }
    bool AskReplaceChangedFile(HWND, const std::string& path) override {
        replaceQuestions.push_back(path);
        return replaceAnswer;
    }
    std::vector<std::string> replaceQuestions;
    bool replaceAnswer = true;
    SaveChangesAnswer AskSaveBeforeCheck(HWND) override {
        ++checkSaveQuestions;
        return checkSaveAnswer;
    }
    void ShowApacheCheck(HWND, const std::string& message, bool accepted) override {
        apacheMessages.push_back(message);
        apacheAccepted.push_back(accepted);
    }

    std::optional<OpenSelection> open;
    std::optional<std::string> saveAs;
    std::string openedFrom;
    bool answerYes = true;
    int deleteQuestions = 0;
    std::vector<std::string> unsaved;                         // the paths of the last report
    std::vector<std::vector<UnsavedFile>> unsavedReports;     // every report, in order
    std::vector<std::vector<std::string>> unreadReports;      // every report, in order
    std::vector<std::string> includedReports;                 // every Open Included Files message
    std::vector<std::string> notFoundReports;                 // every "Cannot find" message
    std::vector<std::string> pasteReports;                    // every message of Paste
    SaveChangesAnswer saveAnswer = SaveChangesAnswer::Cancel;
    int saveQuestions = 0;
    SaveChangesAnswer checkSaveAnswer = SaveChangesAnswer::Save;
    int checkSaveQuestions = 0;
    std::vector<std::string> apacheMessages;  // every Check with Apache message, in order
    std::vector<bool> apacheAccepted;
};

// Plays the user in modal dialogs: each step waits for a window of its caption, then acts on
// it. A thread timer runs inside the dialogs' own message loops.
class DialogScript {
public:
    using Step = std::pair<std::string, std::function<void(HWND)>>;
    explicit DialogScript(std::deque<Step> steps);
    ~DialogScript();
    bool Finished() const;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_ = 0;
};

// What every in-process window test of the editor needs once: common controls, the rich edit
// library and the editor's window classes.
void PrepareEditorWindows();

// Closes the editor's window, if it is still open, and drops what it left in the queue.
void CloseEditorWindow(Editor& editor);

// Clicks a button of a dialog.
void Click(HWND dialog, int button);

// An item's label as the tree-view control shows it, in UTF-16 (up to 255 units).
std::wstring ShownLabel(HWND tree, ItemHandle item);

}  // namespace tarnwick::testing
