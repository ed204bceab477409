#include "links/CharacterReferences.h"

#include <cstdint>

namespace vorlin {

namespace {

struct TNamedReference {
    std::string_view Name;  // without "&" and ";"
    std::string_view Text;  // UTF-8
    bool WithoutSemicolon;  // also recognised without its ";"
};

// The names a URL may hold: the markup characters and the ASCII punctuation
// names of HTML5, and the no-break space.
constexpr TNamedReference kNamed[] = {
    {"amp", "&", true},       {"lt", "<", true},         {"gt", ">", true},       {"quot", "\"", true},
    {"apos", "'", false},     {"nbsp", "\xC2\xA0", false}, {"sol", "/", false},    {"quest", "?", false},
    {"num", "#", false},      {"equals", "=", false},    {"percnt", "%", false},  {"period", ".", false},
    {"colon", ":", false},    {"semi", ";", false},      {"comma", ",", false},   {"excl", "!", false},
    {"dollar", "$", false},   {"plus", "+", false},      {"lpar", "(", false},    {"rpar", ")", false},
    {"commat", "@", false},   {"lowbar", "_", false},    {"tilde", "~", false},   {"ast", "*", false},
    {"midast", "*", false},   {"hyphen", "-", false},    {"bsol", "\\", false},   {"lsqb", "[", false},
    {"rsqb", "]", false},     {"lcub", "{", false},      {"rcub", "}", false},    {"verbar", "|", false},
    {"Hat", "^", false},      {"grave", "`", false},     {"Tab", "\t", false},    {"NewLine", "\n", false},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, uint32_t code) {
    // What can't be a character becomes the replacement character.
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A numeric reference at text[at] ("&#..."): its length, 0 when there is
// none; the decoded character is appended to out.
size_t DecodeNumeric(std::string_view text, size_t at, std::string& out) {
    size_t i = at + 2;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    const size_t digitsStart = i;
    uint32_t code = 0;
    for (; i < text.size(); ++i) {
        int digit = hex ? HexDigitValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) break;
        code = code > 0x10FFFF ? code : code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (i == digitsStart) return 0;
    if (i < text.size() && text[i] == ';') ++i;
    AppendUtf8(out, code);
    return i - at;
}

// A named reference at text[at]: its length, 0 when there is none.
size_t DecodeNamed(std::string_view text, size_t at, std::string& out) {
    size_t end = at + 1;
    while (end < text.size() && IsAlnum(text[end])) ++end;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    const bool semicolon = end < text.size() && text[end] == ';';
    for (const TNamedReference& ref : kNamed) {
        if (semicolon && name == ref.Name) {
            out.append(ref.Text);
            return end + 1 - at;
        }
        // Without ";" only the oldest names, and only when what follows
        // can't continue a name or be a query's "=".
        if (!semicolon && ref.WithoutSemicolon && name.substr(0, ref.Name.size()) == ref.Name) {
            size_t after = at + 1 + ref.Name.size();
            if (after < text.size() && (IsAlnum(text[after]) || text[after] == '=')) continue;
            out.append(ref.Text);
            return after - at;
        }
    }
    return 0;
}

} // namespace

std::string DecodeCharacterReferences(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        if (value[i] != '&') {
            out += value[i++];
            continue;
        }
        size_t used = i + 1 < value.size() && value[i + 1] == '#' ? DecodeNumeric(value, i, out)
                                                                  : DecodeNamed(value, i, out);
        if (used == 0) {
            out += '&';
            used = 1;
        }
        i += used;
    }
    return out;
}

} // namespace vorlin
