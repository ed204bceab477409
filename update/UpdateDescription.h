// The update description: the small text file on the update server that
// says whether a newer version exists and names its package. Lines of
// key=value; blanks around the first "=" do not count; keys compare without
// regard to case and the first line of a key wins.
#pragma once

#include <string>

namespace vorlin::update {

struct TUpdateFile {
    bool UpdateExists = false;  // the key is present, not empty and not "0"
    std::string NewVersion;
    std::string Changes;        // lines separated by ";"
    std::string DatFile;        // the package's file name
    std::string FileList;       // read, not used
};

TUpdateFile ParseUpdateDescription(const std::string& text);

// Compares dotted versions number by number ("1.10" is newer than "1.9",
// "1.1" equals "1.1.0"); a part that is not a number compares as text.
// Answers <0, 0 or >0.
int CompareVersions(const std::string& a, const std::string& b);

// Whether a package name from the server is a plain file name that stays
// in the update folder.
bool IsPlainFileName(const std::string& name);

} // namespace vorlin::update
