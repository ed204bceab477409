// The download run's message texts, identifiers 600 to 631. A language
// library may replace the table; an identifier it lacks gives an empty text.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vorlin {

std::string RunText(int id);
// Replaces the table (a language library's texts); identifiers missing from
// texts become empty.
void SetRunTexts(const std::map<int, std::string>& texts);
// Back to the built-in (German) texts.
void ResetRunTexts();
// The built-in texts, whatever a language replaced.
const std::map<int, std::string>& BuiltinRunTexts();
// The text with its %s / %d placeholders replaced, in order, by args. Any
// other "%" stays as it is, so a replaced text can never misuse an argument.
std::string FormatRunText(int id, const std::vector<std::string>& args);

} // namespace vorlin
