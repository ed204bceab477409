#include "CssScanner.h"

#include "VorlinPluginHelpers.h"

#include <algorithm>
#include <cctype>

namespace css_plugin {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
int HexValue(char c) {
    return c <= '9' ? c - '0' : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}
bool IsNameChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '-' || c == '_' || u >= 0x80;
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
    return true;
}

// Resolves the escapes of a value: "\" and up to six hex digits (and one
// blank after them) is that character; "\" and a line break is nothing;
// "\" and anything else is that character.
std::string Unescape(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 >= raw.size()) {
            out += raw[i];
            continue;
        }
        size_t j = i + 1;
        if (IsHex(raw[j])) {
            unsigned long cp = 0;
            size_t digits = 0;
            while (j < raw.size() && digits < 6 && IsHex(raw[j])) {
                cp = cp * 16 + static_cast<unsigned long>(HexValue(raw[j]));
                ++j;
                ++digits;
            }
            if (j < raw.size() && IsSpace(raw[j])) ++j;
            vorlin_sdk::VorlinAppendUtf8(out, cp == 0 ? 0xFFFD : static_cast<char32_t>(cp));
            i = j - 1;
        } else if (raw[j] == '\n' || raw[j] == '\r' || raw[j] == '\f') {
            i = j;
        } else {
            out += raw[j];
            i = j;
        }
    }
    return out;
}

std::string Trimmed(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && IsSpace(s[a])) ++a;
    while (b > a && IsSpace(s[b - 1])) --b;
    return std::string(s.substr(a, b - a));
}

class TScanner {
public:
    explicit TScanner(std::string_view text) : FText(text) {}

    std::vector<TCssReference> Run() {
        while (FPos < FText.size()) {
            char c = FText[FPos];
            if (c == '/' && At("/*")) {
                SkipComment();
            } else if (c == '"' || c == '\'') {
                SkipString();
            } else if (c == '{' || c == ';' || c == '}') {
                FDeclarationStart = ++FPos;
            } else if (c == '@' && StartsWithNoCase(FText, FPos, "@import")) {
                FPos += 7;
                ReadImport();
            } else if ((c == 'u' || c == 'U') && StartsWithNoCase(FText, FPos, "url(") &&
                       (FPos == 0 || !IsNameChar(FText[FPos - 1]))) {
                FPos += 4;
                ReadUrl(false);
            } else {
                ++FPos;
            }
        }
        return std::move(FFound);
    }

private:
    bool At(std::string_view s) const { return FText.substr(FPos, s.size()) == s; }
    void SkipSpaces() {
        while (FPos < FText.size() && IsSpace(FText[FPos])) ++FPos;
    }
    void SkipComment() {
        size_t end = FText.find("*/", FPos + 2);
        FPos = end == std::string_view::npos ? FText.size() : end + 2;
    }
    // Moves past a quoted string; answers its content span, or false when it
    // ends unterminated (at a line break or the end).
    bool SkipString(size_t* start = nullptr, size_t* length = nullptr) {
        char quote = FText[FPos++];
        size_t begin = FPos;
        while (FPos < FText.size()) {
            char c = FText[FPos];
            if (c == '\\') {
                FPos += 2;
            } else if (c == quote) {
                if (start) *start = begin;
                if (length) *length = FPos - begin;
                ++FPos;
                return true;
            } else if (c == '\n') {
                return false;
            } else {
                ++FPos;
            }
        }
        FPos = FText.size();
        return false;
    }

    // Moves past "\" and what it escapes: up to six hex digits and one
    // blank after them, or one character.
    void SkipEscape() {
        ++FPos;
        size_t digits = 0;
        while (FPos < FText.size() && digits < 6 && IsHex(FText[FPos])) {
            ++FPos;
            ++digits;
        }
        if (digits == 0)
            FPos = std::min(FPos + 1, FText.size());
        else if (FPos < FText.size() && IsSpace(FText[FPos]))
            ++FPos;
    }

    // The property a declaration names ("background-image" in
    // "background-image: url(x)"), lower-cased.
    std::string CurrentProperty() const {
        std::string_view declaration = FText.substr(FDeclarationStart, FPos - FDeclarationStart);
        size_t colon = declaration.find(':');
        if (colon == std::string_view::npos) return std::string();
        std::string name = Trimmed(declaration.substr(0, colon));
        for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return name;
    }

    void Add(size_t start, size_t length, bool quoted, bool import) {
        TCssReference r;
        r.ValueStart = start;
        r.ValueLength = length;
        r.Url = Trimmed(Unescape(FText.substr(start, length)));
        r.Import = import;
        r.Quoted = quoted;
        r.Background = !import && CurrentProperty().rfind("background", 0) == 0;
        FFound.push_back(std::move(r));
    }

    // After "url(": a quoted or a bare value, then ")".
    void ReadUrl(bool import) {
        SkipSpaces();
        if (FPos >= FText.size()) return;
        size_t start = 0, length = 0;
        bool quoted = FText[FPos] == '"' || FText[FPos] == '\'';
        if (quoted) {
            if (!SkipString(&start, &length)) return;
            SkipSpaces();
            if (FPos >= FText.size() || FText[FPos] != ')') return;
        } else {
            start = FPos;
            while (FPos < FText.size() && FText[FPos] != ')' && !IsSpace(FText[FPos]) && FText[FPos] != '"' &&
                   FText[FPos] != '\'' && FText[FPos] != '(') {
                if (FText[FPos] == '\\')
                    SkipEscape();
                else
                    ++FPos;
            }
            length = FPos - start;
            SkipSpaces();
            if (FPos >= FText.size() || FText[FPos] != ')') return;  // a bad url: ignored
        }
        ++FPos;
        Add(start, length, quoted, import);
    }

    // After "@import": a string or url(...).
    void ReadImport() {
        SkipSpaces();
        if (FPos >= FText.size()) return;
        if (FText[FPos] == '"' || FText[FPos] == '\'') {
            size_t start = 0, length = 0;
            if (SkipString(&start, &length)) Add(start, length, true, true);
        } else if (StartsWithNoCase(FText, FPos, "url(")) {
            FPos += 4;
            ReadUrl(true);
        }
    }

    std::string_view FText;
    size_t FPos = 0;
    size_t FDeclarationStart = 0;
    std::vector<TCssReference> FFound;
};

} // namespace

std::vector<TCssReference> ScanCss(std::string_view text) { return TScanner(text).Run(); }

std::string StyleAttributeValue(std::string_view tag) {
    for (size_t at = 0; (at = tag.find_first_of("sS", at)) != std::string_view::npos; ++at) {
        if (!StartsWithNoCase(tag, at, "style") || at == 0 || !IsSpace(tag[at - 1])) continue;
        size_t p = at + 5;
        while (p < tag.size() && IsSpace(tag[p])) ++p;
        if (p >= tag.size() || tag[p] != '=') continue;
        ++p;
        while (p < tag.size() && IsSpace(tag[p])) ++p;
        if (p >= tag.size()) return std::string();
        if (tag[p] == '"' || tag[p] == '\'') {
            size_t end = tag.find(tag[p], p + 1);
            return std::string(tag.substr(p + 1, end == std::string_view::npos ? std::string_view::npos : end - p - 1));
        }
        size_t end = p;
        while (end < tag.size() && !IsSpace(tag[end])) ++end;
        return std::string(tag.substr(p, end - p));
    }
    return std::string();
}

bool IsSelfContained(std::string_view url) {
    return url.empty() || url[0] == '#' || StartsWithNoCase(url, 0, "data:") ||
           StartsWithNoCase(url, 0, "about:") || StartsWithNoCase(url, 0, "javascript:");
}

} // namespace css_plugin
