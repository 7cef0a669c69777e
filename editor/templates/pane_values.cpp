#include "pane_values.h"

#include "tree_walk.h"

namespace tarnwick {

bool ShowsOn(std::string_view value) { return EqualsIgnoringCase(value, "on"); }

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

}  // namespace tarnwick
