#include "app/UrlCandidate.h"

#include <cctype>

namespace vorlin::app {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

} // namespace

std::optional<std::string> UrlCandidate(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty() || text.size() > kMaxUrlCandidate) return std::nullopt;
    // The engine fetches both schemes, so both are addresses.
    if (!StartsWithNoCase(text, "http://") && !StartsWithNoCase(text, "https://")) return std::nullopt;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 32 || u == 127) return std::nullopt;
    }
    // Nothing after the scheme: no address yet.
    if (text.size() == text.find("//") + 2) return std::nullopt;
    return std::string(text);
}

} // namespace vorlin::app
