// A settings file of "[Section]" headers and "Key=Value" lines, as the
// program has always kept its settings. Section and key names are compared
// without regard to ASCII case; order and unknown entries are kept when the
// file is written back. Writing replaces the file atomically.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlin {

class TIniFile {
public:
    // Reads the file; a missing file gives an empty one. Throws EStreamError
    // when the file exists but can't be read.
    void LoadFromFile(const std::string& hostPath);
    void LoadFromText(const std::string& text);
    // permissions as for WriteFileAtomically (FileSystem.h).
    void SaveToFile(const std::string& hostPath, unsigned permissions = 0644) const;
    std::string ToText() const;

    bool ValueExists(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    // A value that is not a whole number in range reads as the fallback.
    int64_t ReadInteger(const std::string& section, const std::string& key, int64_t fallback) const;
    // "1" and "0"; anything else that is a number: non-zero is true.
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int64_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    struct TEntry {
        std::string Key, Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
    };
    const TEntry* Find(const std::string& section, const std::string& key) const;

    std::vector<TSection> FSections;
};

} // namespace vorlin
