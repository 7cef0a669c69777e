#pragma once
// The system's ANSI code page through the platform's conversions. With UTF-8 as the process
// code page GetACP answers 65001, so the code page is asked of the system's locale.

#include "../code_page.h"

namespace tarnwick {

class Win32AnsiCodePage final : public AnsiCodePage {
public:
    Win32AnsiCodePage();
    explicit Win32AnsiCodePage(unsigned number) : number_(number) {}
    unsigned Number() const override { return number_; }
    std::optional<std::string> ToUtf8(std::string_view bytes) const override;
    std::optional<std::string> FromUtf8(std::string_view text) const override;

private:
    unsigned number_ = 0;
};

}  // namespace tarnwick
