// Every built-in text of the program in one place: what a language must
// translate. Each module's table registers here, so the language tests and
// the translators' catalogues see all of them.
#pragma once

#include <map>
#include <string>

namespace vorlin::app {

// Puts the built-in texts of every window and dialog into the text table.
void AddAllBuiltinTexts();
// Every built-in text by number: the table's (AddAllBuiltinTexts), the
// run's (600-631) and the rule descriptions' (1800-1830).
std::map<int, std::string> AllBuiltinTexts();

} // namespace vorlin::app
