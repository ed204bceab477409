// Writes compiled gettext catalogues (".mo") for tests: language libraries
// with chosen texts, in either byte order, without running msgfmt.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vorlin::test {

inline std::string MoImage(const std::vector<std::pair<std::string, std::string>>& entries, bool bigEndian = false) {
    auto sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    const uint32_t count = static_cast<uint32_t>(sorted.size());
    std::string out;
    auto word = [&](uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            const int shift = bigEndian ? 24 - 8 * i : 8 * i;
            out += static_cast<char>((value >> shift) & 0xff);
        }
    };
    const uint32_t originals = 28, translations = originals + count * 8, strings = translations + count * 8;
    word(0x950412de);
    word(0);
    word(count);
    word(originals);
    word(translations);
    word(0);  // no hash table
    word(strings);
    std::string pool;
    std::vector<std::pair<uint32_t, uint32_t>> ids, texts;
    for (const auto& [id, text] : sorted) {
        ids.emplace_back(static_cast<uint32_t>(id.size()), strings + static_cast<uint32_t>(pool.size()));
        pool += id + '\0';
    }
    for (const auto& [id, text] : sorted) {
        texts.emplace_back(static_cast<uint32_t>(text.size()), strings + static_cast<uint32_t>(pool.size()));
        pool += text + '\0';
    }
    for (auto [length, offset] : ids) word(length), word(offset);
    for (auto [length, offset] : texts) word(length), word(offset);
    return out + pool;
}

// A language library of numbered texts (with the usual UTF-8 header).
inline std::string MoImage(const std::map<int, std::string>& texts) {
    std::vector<std::pair<std::string, std::string>> entries{
        {"", "Content-Type: text/plain; charset=UTF-8\n"}};
    for (const auto& [number, text] : texts) entries.emplace_back(std::to_string(number), text);
    return MoImage(entries);
}

} // namespace vorlin::test
