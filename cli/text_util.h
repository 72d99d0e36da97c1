// Small text helpers of the command line: trimming, quotes, number formatting, JSON strings.
#pragma once

#include <string>
#include <vector>

namespace zarpacli {

std::string trim(const std::string& text);
// Removes one pair of matching surrounding quotes ("type B" or 'type B').
std::string unquote(const std::string& text);
std::string lowered(std::string text);
// A number in at most 6 significant digits without trailing zeros ("24.0824", "-12", "0.02").
std::string shortNumber(double v);
// A fixed-point number ("10.000"); "inf" or "nan" where it is not finite.
std::string fixed(double v, int decimals);
// A fixed-point number with a sign ("+6.02", "-0.10"); "-inf" for minus infinity.
std::string signedFixed(double v, int decimals);
// Items separated by ", ".
std::string joined(const std::vector<std::string>& items);
// A JSON string literal, quotes included, always valid UTF-8: control characters escaped, bytes that
// are no UTF-8 replaced by U+FFFD.
std::string jsonString(const std::string& text);
// The text with control characters and bytes that are no UTF-8 shown as '?', safe to print on a terminal.
std::string printable(const std::string& text);
// A JSON number, or null for infinities and NaN.
std::string jsonNumber(double v, int decimals = 6);

}  // namespace zarpacli
