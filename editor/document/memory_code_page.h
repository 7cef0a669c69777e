#pragma once
// The in-memory binding of the ANSI code page: Windows-1252 (Western European), by table, as
// Windows reads and writes it (its five unassigned bytes stand for the C1 controls of the
// same number both ways, so every byte reads and writes back).

#include "code_page.h"

namespace tarnwick {

class Windows1252CodePage final : public AnsiCodePage {
public:
    unsigned Number() const override { return 1252; }
    std::optional<std::string> ToUtf8(std::string_view bytes) const override;
    std::optional<std::string> FromUtf8(std::string_view text) const override;
};

}  // namespace tarnwick
