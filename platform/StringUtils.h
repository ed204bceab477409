// Small string helpers on 8-bit text: ASCII case mapping (as the stored data
// and the protocol compare), trimming of blanks and control characters,
// checked number conversion and printf-style formatting of message texts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vorlin {

// One character's ASCII case, for loops that run over every byte of a page.
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string UpperCase(std::string_view s);  // a-z to A-Z only
std::string LowerCase(std::string_view s);  // A-Z to a-z only
bool SameText(std::string_view a, std::string_view b);  // ASCII case-insensitive
bool StartsText(std::string_view prefix, std::string_view s);
// Trims characters up to and including the blank (control characters too).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Decimal (optionally signed, surrounding blanks allowed; "$" hex too) to a
// 32-bit integer; throws EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
// As StrToInt, but answers fallback instead of throwing.
int32_t StrToIntDef(std::string_view s, int32_t fallback);

// Replaces every occurrence of from by to.
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
std::vector<std::string> SplitLines(std::string_view text);  // at CR LF, LF or CR

namespace detail {
template <typename T> auto FormatArg(const T& v) {
    if constexpr (std::is_same_v<T, std::string>)
        return v.c_str();
    else
        return v;
}
} // namespace detail

// printf-style formatting of message texts ("%s", "%d", "%.3d", "%.2f").
// std::string arguments are accepted for %s.
template <typename... Args> std::string Format(const char* format, const Args&... args) {
    int n = std::snprintf(nullptr, 0, format, detail::FormatArg(args)...);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    std::snprintf(out.data(), out.size() + 1, format, detail::FormatArg(args)...);
    return out;
}

} // namespace vorlin
