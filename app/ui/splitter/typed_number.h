#pragma once
// How the wizard reads numbers that people type.

#include <optional>
#include <string>

namespace kb {

// The number the text starts with (after blanks), 0 when it starts with none: "12abc" is 12,
// "-3" is -3, "abc" is 0.
double LeadingNumber(const std::string& text);

// The whole text as a decimal number (blanks around it allowed), or nothing when any part of
// it is not; kept to four decimal places.
std::optional<double> WholeNumber(const std::string& text);

// A number as text without trailing zeros or a trailing point ("12.5", "10240", "4").
std::string NumberText(double value);

}  // namespace kb
