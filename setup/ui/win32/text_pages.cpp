#include "text_pages.h"

#include "resource.h"
#include "script_stream.h"
#include "script_text.h"
#include "win32_platform.h"

#include <cstdio>
#include <string>

namespace kelsetup {

namespace {

struct PageData {
    TextPage page;
    std::string productName;
    HWND owner;
};

struct PageFile {
    const char* fileName;
    const char* captionSuffix;
};

PageFile FileOf(TextPage page) {
    switch (page) {
        case TextPage::Readme: return {"readme.txt", " setup information..."};
        case TextPage::Legal: return {"legal.txt", " legal information..."};
        default: return {"ureadme.txt", " uninstall information..."};
    }
}

INT_PTR CALLBACK PageProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        const auto& data = *reinterpret_cast<PageData*>(lParam);
        const PageFile file = FileOf(data.page);
        const std::string caption = (data.productName + file.captionSuffix).substr(0, kMaxTextLength);
        SetWindowTextA(dialog, caption.c_str());
        LoadTextFile(file.fileName, GetDlgItem(dialog, IDC_PAGE_TEXT));
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;  // the focus is set
    }
    if (message != WM_COMMAND) return FALSE;
    const auto* data = reinterpret_cast<PageData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {  // also Escape and the close box
        if (MessageBoxA(data ? data->owner : dialog,
                        "Canceling this dialog box will end setup, are you sure you wish to do this?", "Alert!",
                        MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void LoadTextFile(const char* fileName, HWND control) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return;
    std::string text;
    char chunk[64 * 1024];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
    std::fclose(file);
    // Read as the script is: UTF-8, or the system's code page for a page written in it.
    SetWindowTextA(control, Utf8Text(std::move(text), SystemAnsiToUtf8).c_str());
}

int ShowTextPage(HINSTANCE instance, HWND owner, TextPage page, const std::string& productName) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(FileOf(page).fileName, &found);
    if (search == INVALID_HANDLE_VALUE) return 1;
    FindClose(search);
    PageData data{page, productName, owner};
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TEXT_PAGE), owner, PageProcedure,
                                            reinterpret_cast<LPARAM>(&data)));
}

}  // namespace kelsetup
