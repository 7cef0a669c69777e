#include "setup_app.h"

#include "command_line.h"
#include "install_run.h"
#include "silent_run.h"
#include "primitives.h"
#include "program_folders.h"
#include "setup_start.h"
#include "resource.h"
#include "text_pages.h"
#include "uninstall_run.h"

#include <commctrl.h>
#include <commdlg.h>

namespace kelsetup {

namespace {

constexpr const char* kLowSpace =
    "Sorry, there does not appear to be enough free space on that disk to install.\n\nWould you like to install any "
    "ways?\n(To select another installation directory and try again please press NO)";

SetupApp* AppOf(HWND window) { return reinterpret_cast<SetupApp*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

void EndRun(SetupApp& app, HWND dialog) {
    DestroyWindow(dialog);
    app.mainDialog = nullptr;
    SendMessageA(app.owner, WM_SYSCOMMAND, SC_CLOSE, 0);
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SetupApp* app = AppOf(window);
    if (app && app->run.HandleMessage(message, wParam, lParam)) return 0;
    if (app && message == RunThread::kRunEnded) {
        app->run.Join();
        app->busy = false;
        EndRun(*app, app->mainDialog);
        return 0;
    }
    if (app && app->busy && message == WM_CLOSE) return 0;  // the run still reports to these windows
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string ItemText(HWND dialog, int id) {
    char text[kMaxTextLength + 1] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Browse(SetupApp& app, HWND dialog) {
    char file[1024] = {};
    OPENFILENAMEA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = dialog;
    choose.lpstrFilter = "(All Files)\0*.*\0";
    choose.nFilterIndex = 1;
    choose.lpstrFile = file;
    choose.nMaxFile = sizeof file;
    choose.lpstrInitialDir = app.info.defaultInstallDir.c_str();
    choose.lpstrTitle = "Installation Directory...";
    // The dialog must not move the current directory: the run does not depend on it, but
    // nothing else should find it changed either.
    choose.Flags = OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&choose)) SetDlgItemTextA(dialog, IDC_INSTALL_DIR, file);
    else CommDlgExtendedError();  // cancelled or failed: nothing changes
}

// Runs `work` on a thread of its own; the program ends when it is done.
void StartRun(SetupApp& app, RunThread::Work work) {
    EnableWindow(app.mainDialog, FALSE);  // no second click while the run gets going
    app.busy = true;
    if (!app.run.Start(app.owner, *app.progress, std::move(work))) app.busy = false;
}

INT_PTR CALLBACK InstallProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    SetupApp* app = AppOf(dialog);
    if (message != WM_COMMAND || !app || HIWORD(wParam) != BN_CLICKED) return FALSE;
    if (app->busy) return TRUE;  // a click or Escape that was queued while a run began: ignored
    switch (LOWORD(wParam)) {
        case IDC_BROWSE: Browse(*app, dialog); return TRUE;
        case IDOK: StartInstall(*app, dialog); return TRUE;
        case IDCANCEL: EndRun(*app, dialog); return TRUE;
        default: return FALSE;
    }
}

INT_PTR CALLBACK UninstallProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return TRUE;
    }
    SetupApp* app = AppOf(dialog);
    if (message != WM_COMMAND || !app || HIWORD(wParam) != BN_CLICKED) return FALSE;
    if (app->busy) return TRUE;
    switch (LOWORD(wParam)) {
        case IDOK: {
            UninstallRequest request;
            request.installDir = ItemText(dialog, IDC_UNINSTALL_DIR);
            request.removeRegistry = IsDlgButtonChecked(dialog, IDC_REMOVE_REGISTRY) == BST_CHECKED;
            // The script is the one in the directory setup was started with, and only that one.
            request.scriptPath = JoinPath(app->startDirectory, "setup.txt");
            if (app->log) app->log->Note("install directory: " + request.installDir + "; remove registry entries " +
                                         (request.removeRegistry ? "on" : "off"));
            StartRun(*app, [app, request](Progress& progress) {
                if (app->log) app->log->Follow(app->report);
                app->exitCode = RunUninstall(app->platform, progress, app->info, request, app->report)
                                    ? ExitCodeAfterRun(app->report)
                                    : kExitNoScript;
            });
            return TRUE;
        }
        case IDCANCEL: EndRun(*app, dialog); return TRUE;  // also the close box; nothing is asked
        default: return FALSE;
    }
}

void FillInstallDialog(SetupApp& app, HWND dialog) {
    SetWindowTextA(dialog, app.info.installTitle.c_str());
    SetDlgItemTextA(dialog, IDC_INSTALL_DIR, RememberedInstallDirectory(app.platform, app.info).c_str());
    const int boxes[] = {IDC_OPT_START_GROUP, IDC_OPT_UNINSTALL, IDC_OPT_START_AFTER, IDC_OPT_ADD_TO_FOLDER};
    for (int i = 0; i < 4; ++i)
        SendDlgItemMessageA(dialog, boxes[i], BM_SETCHECK, static_cast<WPARAM>(app.info.initialChecks[static_cast<std::size_t>(i)]), 0);
    HWND folders = GetDlgItem(dialog, IDC_PROGRAM_FOLDER);
    for (const std::string& name : ProgramFolderChoices(app.platform, app.info.productName))
        SendMessageA(folders, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SetWindowTextA(folders, app.info.productName.c_str());
}

void RunMessageLoop(SetupApp& app) {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (app.mainDialog && IsDialogMessageA(app.mainDialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

void StartInstall(SetupApp& app, HWND dialog) {
    if (app.busy) return;  // one run at a time
    app.busy = true;
    EnableWindow(dialog, FALSE);  // before anything is asked
    const std::string directory = ItemText(dialog, IDC_INSTALL_DIR);
    const auto checked = [dialog](int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; };
    InstallOptions options{checked(IDC_OPT_START_GROUP), checked(IDC_OPT_UNINSTALL), checked(IDC_OPT_START_AFTER),
                           checked(IDC_OPT_ADD_TO_FOLDER)};
    const std::string folder = ItemText(dialog, IDC_PROGRAM_FOLDER);
    // The question belongs to the install dialog, so the dialog cannot be used under it.
    if (CheckFreeSpace(app.platform.FreeKilobytes(DriveRootOf(directory)), app.info.requiredKilobytes) ==
            SpaceVerdict::AskUser &&
        MessageBoxA(dialog, kLowSpace, "Not enough free space...", MB_YESNO | MB_ICONWARNING) != IDYES) {
        app.busy = false;
        EnableWindow(dialog, TRUE);
        return;
    }
    if (app.log) app.log->Note("install directory: " + directory + "; program folder: " + folder);
    StartRun(app, [&app, directory, options, folder](Progress& progress) {
        InstallContext context{.platform = app.platform, .progress = progress, .info = app.info,
                               .installDir = directory, .options = options,
                               .folderName = folder, .startDirectory = app.startDirectory};
        if (app.log) app.log->Follow(context.report);
        RunInstall(context);
        app.exitCode = ExitCodeAfterRun(context.report);
        app.report = std::move(context.report);
    });
}

namespace {

// The directory part of a path, without its last backslash.
std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Where this process was started, and how it enters the directory it works in.
StartPlaces PlacesOfThisProcess() {
    StartPlaces places;
    char current[MAX_PATH * 4] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof current, current);
    if (length > 0 && length < sizeof current) places.currentDirectory = current;
    char module[MAX_PATH * 4] = {};
    const DWORD moduleLength = GetModuleFileNameA(nullptr, module, sizeof module);
    if (moduleLength > 0 && moduleLength < sizeof module) places.programDirectory = DirectoryOf(module);
    // The uninstall directory was found to exist a moment ago; should it fail now, the run
    // still works from full paths.
    places.enter = [](const std::string& directory) { SetCurrentDirectoryA(directory.c_str()); };
    return places;
}

// Tells why a start cannot go on: in the log, and in a message box when windows are shown.
int Stop(const SetupCommand& command, RunLog& log, HWND owner, const StartProblem& problem) {
    log.Note("stopped: " + problem.message);
    if (!command.silent)
        MessageBoxA(owner, problem.message.c_str(), "Setup error...", MB_OK | (problem.warning ? MB_ICONWARNING : 0));
    return problem.exitCode;
}

int RunWithWindows(HINSTANCE instance, SetupPlatform& platform, const SetupCommand& command, RunLog& log) {
    WNDCLASSA ownerClass{};
    ownerClass.lpfnWndProc = OwnerProcedure;
    ownerClass.hInstance = instance;
    ownerClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    ownerClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    ownerClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    ownerClass.lpszClassName = kOwnerClass;
    RegisterClassA(&ownerClass);
    SetupApp app(instance, platform);
    app.log = &log;
    app.owner = CreateWindowExA(0, kOwnerClass, "Setup", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    SetWindowLongPtrA(app.owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&app));
    const bool installMode = command.Installs();
    int exitCode = kExitCancelled;
    std::optional<std::string> start;
    if (command.help) {
        MessageBoxA(app.owner, UsageText().c_str(), "Setup command line", MB_OK | MB_ICONINFORMATION);
        exitCode = kExitDone;
    } else if (!command.problem.empty()) {
        exitCode = Stop(command, log, app.owner,
                        {.exitCode = kExitCancelled, .message = command.problem + "\n\n" + UsageText(), .warning = true});
    } else {
        std::string directory;
        if (const auto problem = ChooseStart(platform, command, PlacesOfThisProcess(), app.info, log, directory))
            exitCode = Stop(command, log, app.owner, *problem);
        else start = directory;
    }
    bool go = start.has_value();
    if (go) app.startDirectory = *start;
    if (go && installMode) {
        go = ShowTextPage(instance, app.owner, TextPage::Legal, app.info.productName) != 0 &&
             ShowTextPage(instance, app.owner, TextPage::Readme, app.info.productName) != 0;
    }
    if (go && installMode) {
        app.progress = std::make_unique<ProgressWindow>(instance, app.owner, "Installation Progress...");
        app.mainDialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_INSTALL), app.owner, InstallProcedure,
                                            reinterpret_cast<LPARAM>(&app));
        app.progress->SetMainDialog(app.mainDialog);
        FillInstallDialog(app, app.mainDialog);
        ShowWindow(app.mainDialog, SW_SHOWDEFAULT);
        RunMessageLoop(app);
    }
    if (go && !installMode) go = ShowTextPage(instance, app.owner, TextPage::UninstallNote, app.info.productName) != 0;
    if (go && !installMode) {
        app.progress = std::make_unique<ProgressWindow>(instance, app.owner, "Uninstallation Progress...");
        app.mainDialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_UNINSTALL), app.owner, UninstallProcedure,
                                            reinterpret_cast<LPARAM>(&app));
        app.progress->SetMainDialog(app.mainDialog);
        SetWindowTextA(app.mainDialog, app.info.uninstallTitle.c_str());
        SetDlgItemTextA(app.mainDialog, IDC_UNINSTALL_DIR, RememberedInstallDirectory(platform, app.info).c_str());
        CheckDlgButton(app.mainDialog, IDC_REMOVE_REGISTRY, BST_UNCHECKED);
        ShowWindow(app.mainDialog, SW_SHOWDEFAULT);
        RunMessageLoop(app);
    }
    app.run.Join();
    if (start) exitCode = go ? app.exitCode : kExitCancelled;  // cancelled, or what the run ended with
    if (start && exitCode == kExitCancelled) log.Note("cancelled by the user");
    app.progress.reset();
    if (app.mainDialog && IsWindow(app.mainDialog)) DestroyWindow(app.mainDialog);
    if (IsWindow(app.owner)) DestroyWindow(app.owner);
    MSG leftover{};
    while (PeekMessageA(&leftover, nullptr, 0, 0, PM_REMOVE)) {}
    UnregisterClassA(kOwnerClass, instance);
    return exitCode;
}

}  // namespace

int RunSetup(HINSTANCE instance, SetupPlatform& platform, const std::string& arguments) {
    const SetupCommand command = ParseSetupCommand(arguments);
    if (command.silent) return RunSilentSetup(platform, command, arguments, PlacesOfThisProcess());
    LineWriter writer;
    if (const auto problem = OpenRunLog(platform, command, writer)) {
        RunLog none;
        return Stop(command, none, nullptr, *problem);
    }
    RunLog log(std::move(writer));
    log.Note("setup, with its windows; command line: " + arguments);
    const int exitCode = RunWithWindows(instance, platform, command, log);
    log.End(exitCode);
    return exitCode;
}

}  // namespace kelsetup
