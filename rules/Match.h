// The simple matcher of the selection dialogs ("Auswahl durch Maske"): the
// user types a pattern with "*" and "?" (no sets, no escapes) and every list
// entry it matches gets ticked.
#pragma once

#include <string>

namespace vorlin {

class TMatch {
public:
    bool CaseSensitive = false;
    bool SourceIsFile = false;  // kept for the dialogs' settings; every use leaves it off
    std::string Source;
    std::string Pattern;

    // An empty pattern matches every text; otherwise the pattern must cover
    // the whole source.
    bool IsMatch() const;
};

} // namespace vorlin
