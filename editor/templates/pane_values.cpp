#include "pane_values.h"

#include "tree_walk.h"

namespace tarnwick {

bool ShowsOn(std::string_view value) { return EqualsIgnoringCase(value, "on"); }

std::optional<bool> YesNoChoice(std::string_view value) {
    const auto trimBlanks = [&value] {
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    };
    trimBlanks();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
        trimBlanks();
    }
    for (const char* yes : {"yes", "on", "true", "1"})
        if (EqualsIgnoringCase(value, yes)) return true;
    for (const char* no : {"no", "off", "false", "0"})
        if (EqualsIgnoringCase(value, no)) return false;
    return std::nullopt;
}

std::string SwitchValue(bool firstButtonChecked) { return firstButtonChecked ? "On" : "Off"; }

std::uint16_t UpDownPosition(std::string_view value) {
    std::size_t at = 0;
    while (at < value.size() && (value[at] == ' ' || (value[at] >= '\t' && value[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) negative = value[at++] == '-';
    // Only the low 16 bits are kept, so the digits may be folded in as they come.
    std::uint32_t number = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at)
        number = (number * 10 + static_cast<std::uint32_t>(value[at] - '0')) & 0xFFFF;
    if (negative) number = (0x10000 - number) & 0xFFFF;
    return static_cast<std::uint16_t>(number);
}

std::optional<std::uint16_t> WholeNumberUpTo(std::string_view text, std::uint16_t maximum) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty() || text.size() > 5) return std::nullopt;
    unsigned number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number > maximum) return std::nullopt;
    return static_cast<std::uint16_t>(number);
}

std::string NotANumberMessage(std::string_view text) {
    return std::string(text) + " is not a number from 0 to 32767.";
}

}  // namespace tarnwick
