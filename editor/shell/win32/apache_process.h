#pragma once
// Running Apache's program for Check with Apache: Win32's side of ProgramRunner, and the
// command itself as the main window runs it.

#include "apache_check.h"

namespace tarnwick {

struct Editor;

// CreateProcessA with the program as the explicit application name, no console window, both
// outputs into one pipe, no input; a program still running at the limit is ended.
class Win32ProgramRunner final : public ProgramRunner {
public:
    ProgramRun Run(const std::string& program, const std::string& commandLine, std::uint32_t timeLimitMs) override;
};

// File menu "Check with Apache": with unsaved changes the user chooses to save first, to check
// what is on disk, or to cancel; then Apache checks the files and its answer is shown, the
// item it names selected.
void CheckWithApacheCommand(Editor& editor);

}  // namespace tarnwick
