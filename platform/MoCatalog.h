// A compiled gettext catalogue (".mo") read without gettext: the string
// table of one language library. Its message ids are text numbers written
// in decimal ("603"); everything else in the file (the header entry, ids
// with a context or plural forms) is skipped. A file that does not hold
// together (a wrong magic, a table or string outside the file, a string
// without its terminating zero, a charset other than UTF-8, a file larger
// than any language needs) is refused as a whole.
#pragma once

#include "platform/Exception.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlin {

// A language file that is not a catalogue we can trust.
class EMoFormatError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class TMoCatalog {
public:
    // The largest file taken: far more than every text of the program.
    static constexpr size_t kMaxFileSize = 16u << 20;

    // Throws EMoFormatError on a damaged file, EFileError when it can't be read.
    static TMoCatalog LoadFromFile(const std::string& path);
    static TMoCatalog FromBytes(std::string_view bytes);

    // The text of a number; null when the catalogue lacks it.
    const std::string* Find(int number) const;
    // Every number the catalogue holds, ascending.
    std::vector<int> Numbers() const;
    size_t Count() const { return FTexts.size(); }

private:
    std::unordered_map<int, std::string> FTexts;
};

} // namespace vorlin
