#include "platform/HiddenPasswords.h"

#include <cctype>
#include <cstring>

namespace vorlin {

namespace {

bool EndsAuthority(char c) {
    return std::strchr("/?#\"'<>", c) != nullptr || std::isspace(static_cast<unsigned char>(c));
}

bool SchemeCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

} // namespace

std::string HideURLPasswords(const std::string& text) {
    size_t mark = text.find("://");
    if (mark == std::string::npos) return text;
    std::string result;
    result.reserve(text.size());
    size_t copied = 0;
    for (; mark != std::string::npos; mark = text.find("://", mark + 3)) {
        // Only a scheme of letters (and + - .) makes an address.
        if (mark == 0 || !SchemeCharacter(text[mark - 1])) continue;
        const size_t start = mark + 3;
        size_t end = start;
        while (end < text.size() && !EndsAuthority(text[end])) ++end;
        const size_t at = text.rfind('@', end == 0 ? 0 : end - 1);
        if (at == std::string::npos || at < start) continue;
        const size_t colon = text.find(':', start);
        if (colon == std::string::npos || colon > at) continue;
        result.append(text, copied, colon + 1 - copied);
        result += "***";
        copied = at;
        mark = at;
    }
    result.append(text, copied, std::string::npos);
    return result;
}

} // namespace vorlin
