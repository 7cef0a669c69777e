#pragma once
// How the editor panes turn a value string into what they show, and back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The On/Off pane checks "On" exactly when the value is "on" in any case.
bool ShowsOn(std::string_view value);
// The Yes/No pane's choice for a value: yes for yes, on, true or 1, no for no, off, false or
// 0 (in any case, blanks and one pair of double quotes around it ignored); none otherwise.
std::optional<bool> YesNoChoice(std::string_view value);
// What a two-button pane stores: "On" for its first button, otherwise "Off".
std::string SwitchValue(bool firstButtonChecked);
// The largest number the Numerical pane holds.
inline constexpr std::uint16_t kNumericalPaneMaximum = 32767;
// The number a Numerical pane's field holds: digits only (blanks around them allowed), from 0
// to `maximum`; nothing otherwise.
std::optional<std::uint16_t> WholeNumberUpTo(std::string_view text, std::uint16_t maximum);
// What the user is told when a changed Numerical pane holds no such number.
std::string NotANumberMessage(std::string_view text);

// The Numerical pane's position for a value: the number at its start as atoi reads it
// (blanks, a sign, digits), taken modulo 65536; 0 when there is none.
std::uint16_t UpDownPosition(std::string_view value);

}  // namespace tarnwick
