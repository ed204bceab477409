// What the user typed to choose links from a numbered list: a mask over
// the URLs (the rule masks' wildcards), or numbers and ranges ("1 3 5-7"),
// "*" for all, nothing for none.
#pragma once

#include <string>
#include <vector>

namespace vorlin::cli {

// The chosen items, one flag per URL. False with a message when the
// answer is neither a valid mask nor valid numbers.
bool ChooseLinks(const std::string& answer, const std::vector<std::string>& urls, std::vector<bool>& chosen,
                 std::string& error);

} // namespace vorlin::cli
