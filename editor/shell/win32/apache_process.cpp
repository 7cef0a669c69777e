#include "apache_process.h"

#include "editor.h"

#include <windows.h>

namespace tarnwick {

namespace {

// How often the pipe is emptied while the program runs: a program that writes more than the
// pipe holds must not wait for a reader that waits for it.
constexpr DWORD kPollMs = 20;

// Owns a handle; closes it once.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    void Close() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = nullptr;
    }
    HANDLE Get() const { return handle_; }
    HANDLE* Out() { return &handle_; }

private:
    HANDLE handle_ = nullptr;
};

// Appends what the pipe holds now, without waiting for more.
void Drain(HANDLE pipe, std::string& output) {
    for (;;) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0) return;
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer < waiting ? sizeof buffer : waiting, &got, nullptr) || got == 0) return;
        output.append(buffer, got);
    }
}

}  // namespace

ProgramRun Win32ProgramRunner::Run(const std::string& program, const std::string& commandLine, std::uint32_t timeLimitMs) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inheritable, 0)) return run;
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    Handle nothingIn(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothingIn.Get();
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION process{};
    std::string line = commandLine;  // CreateProcessA may write into its command line
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return run;
    Handle processHandle(process.hProcess), threadHandle(process.hThread);
    writeEnd.Close();  // the child holds its own copy; the pipe ends when the child does

    const DWORD started = GetTickCount();
    for (;;) {
        Drain(readEnd.Get(), run.output);
        if (WaitForSingleObject(processHandle.Get(), kPollMs) == WAIT_OBJECT_0) break;
        if (GetTickCount() - started >= timeLimitMs) {
            TerminateProcess(processHandle.Get(), 1);
            WaitForSingleObject(processHandle.Get(), INFINITE);
            Drain(readEnd.Get(), run.output);
            run.outcome = ProgramRun::Outcome::TimedOut;
            return run;
        }
    }
    Drain(readEnd.Get(), run.output);
    DWORD exitCode = 0;
    GetExitCodeProcess(processHandle.Get(), &exitCode);
    run.exitCode = exitCode;
    run.outcome = ProgramRun::Outcome::Finished;
    return run;
}

void CheckWithApacheCommand(Editor& editor) {
    ConfigDocument& document = *editor.document;
    if (HasUnsavedChanges(document)) {
        switch (editor.prompts.AskSaveBeforeCheck(editor.window)) {
            case SaveChangesAnswer::Save: {
                const std::vector<UnsavedFile> unsaved = SaveAllFiles(document);
                if (!unsaved.empty()) {
                    editor.prompts.ReportUnsavedFiles(editor.window, unsaved);
                    return;  // Apache would check files other than the ones the user sees
                }
                break;
            }
            case SaveChangesAnswer::Discard: break;  // No: Apache checks what is on disk
            case SaveChangesAnswer::Cancel: return;
        }
    }
    Win32ProgramRunner runner;
    HCURSOR before = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    const ApacheCheckOutcome outcome = CheckWithApache(document, editor.registry, editor.settings.apacheProgram, runner);
    SetCursor(before);
    if (outcome.named != kNoItem) SendMessageA(editor.tree, TVM_ENSUREVISIBLE, 0, static_cast<LPARAM>(outcome.named));
    editor.prompts.ShowApacheCheck(editor.window, outcome.message, outcome.accepted);
}

}  // namespace tarnwick
