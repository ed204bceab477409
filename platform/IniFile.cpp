#include "platform/IniFile.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "platform/StringUtils.h"

#include <charconv>

namespace vorlin {

void TIniFile::LoadFromFile(const std::string& hostPath) {
    FSections.clear();
    if (!FileExists(hostPath)) return;
    TMemoryStream stream;
    stream.LoadFromFile(hostPath);
    LoadFromText(stream.ToString());
}

void TIniFile::LoadFromText(const std::string& text) {
    FSections.clear();
    TSection* current = nullptr;
    // A byte-order mark (editors on the original platform write one) would
    // hide the first section header.
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            std::string name = line.substr(1, line.size() - 2);
            current = nullptr;
            for (TSection& s : FSections)
                if (SameText(s.Name, name)) current = &s;
            if (!current) current = &FSections.emplace_back(TSection{name, {}});
            continue;
        }
        size_t equals = line.find('=');
        // Lines before the first section or without "=" mean nothing.
        if (!current || equals == std::string::npos) continue;
        std::string key = TrimRight(std::string_view(line).substr(0, equals));
        std::string value = TrimLeft(std::string_view(line).substr(equals + 1));
        bool replaced = false;
        for (TEntry& e : current->Entries)
            if (SameText(e.Key, key)) {
                e.Value = value;
                replaced = true;
            }
        if (!replaced) current->Entries.push_back({key, value});
    }
}

std::string TIniFile::ToText() const {
    std::string text;
    for (const TSection& s : FSections) {
        if (!text.empty()) text += '\n';
        text += "[" + s.Name + "]\n";
        for (const TEntry& e : s.Entries) text += e.Key + "=" + e.Value + "\n";
    }
    return text;
}

void TIniFile::SaveToFile(const std::string& hostPath, unsigned permissions) const {
    const std::string text = ToText();
    WriteFileAtomically(
        hostPath, [&text](TFileStream& stream) { stream.Write(text.data(), static_cast<int64_t>(text.size())); },
        permissions);
}

const TIniFile::TEntry* TIniFile::Find(const std::string& section, const std::string& key) const {
    for (const TSection& s : FSections) {
        if (!SameText(s.Name, section)) continue;
        for (const TEntry& e : s.Entries)
            if (SameText(e.Key, key)) return &e;
    }
    return nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    return Find(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& fallback) const {
    const TEntry* e = Find(section, key);
    return e ? e->Value : fallback;
}

int64_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int64_t fallback) const {
    const TEntry* e = Find(section, key);
    if (!e) return fallback;
    std::string text = Trim(e->Value);
    int64_t value = 0;
    const char* begin = text.data();
    if (!text.empty() && text[0] == '+') ++begin;
    auto [ptr, ec] = std::from_chars(begin, text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() && begin != ptr ? value : fallback;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    // A value can't hold a line break: it would end the entry.
    std::string clean = value;
    for (char& c : clean)
        if (c == '\n' || c == '\r') c = ' ';
    TSection* target = nullptr;
    for (TSection& s : FSections)
        if (SameText(s.Name, section)) target = &s;
    if (!target) target = &FSections.emplace_back(TSection{section, {}});
    for (TEntry& e : target->Entries)
        if (SameText(e.Key, key)) {
            e.Value = clean;
            return;
        }
    target->Entries.push_back({key, clean});
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int64_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace vorlin
