#include "links/HTMLAttributes.h"

#include "links/CharacterReferences.h"
#include "platform/StringUtils.h"

#include <array>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstring>

namespace vorlin {

namespace {

// What the attribute scanner tells apart; everything else is an ordinary character.
enum TScanClass : unsigned char { scOther, scBlank, scQuote, scEquals };
struct TScanClassTable {
    TScanClass Of[256] = {};
    constexpr TScanClassTable() {
        Of[static_cast<unsigned char>(' ')] = Of[static_cast<unsigned char>('\t')] = scBlank;
        Of[static_cast<unsigned char>('\r')] = Of[static_cast<unsigned char>('\n')] = scBlank;
        Of[static_cast<unsigned char>('"')] = Of[static_cast<unsigned char>('\'')] = scQuote;
        Of[static_cast<unsigned char>('=')] = scEquals;
    }
};
constexpr TScanClassTable kScanClass;

// Upper case of ASCII letters, the rest as it is.
struct TUpperTable {
    char Of[256] = {};
    constexpr TUpperTable() {
        for (int c = 0; c < 256; ++c) Of[c] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
};
constexpr TUpperTable kUpper;

bool IsBlank(char c) {
    return kScanClass.Of[static_cast<unsigned char>(c)] == scBlank;
}
bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// The word occurs in the text after its first character (letters in any case).
bool ContainsWordAfterStart(std::string_view text, std::string_view upperWord) {
    if (text.size() < upperWord.size() + 1) return false;
    const char first = upperWord[0];
    for (size_t i = 1; i + upperWord.size() <= text.size(); ++i) {
        char c = text[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c) != first) continue;
        if (SameText(text.substr(i, upperWord.size()), upperWord)) return true;
    }
    return false;
}

// The words FindLinkAttribute looks for, as bits of what one pass over a
// tag found after its first character (letters in any case).
enum TLinkWord : unsigned { lwHref = 1, lwSrc = 2, lwBackground = 4, lwHttpEquiv = 8 };

// Every tag of every page passes here, most of them naming none of the
// words: one pass tells which occur, instead of one pass per word. An
// attribute's name follows a blank or the quote that closed a value, so
// only letters there are looked at, not the many in names and values.
unsigned LinkWordsAfterStart(std::string_view text) {
    // A blank or a quote (IsBlank, IsQuote).
    static constexpr char kPrecedesName[] = {' ', '\t', '\r', '\n', '"', '\''};
    static constexpr auto kMayPrecedeName = [] {
        std::array<bool, 256> table{};
        for (char c : kPrecedesName) table[static_cast<unsigned char>(c)] = true;
        return table;
    }();
    unsigned words = 0;
    // Most letters that start a word start another: the second letter
    // tells before the rest is compared.
    auto at = [&](size_t i, std::string_view upperWord) {
        return i + upperWord.size() <= text.size() && (text[i + 1] & ~0x20) == upperWord[1] &&
               SameText(text.substr(i, upperWord.size()), upperWord);
    };
    auto look = [&](size_t i) {
        switch (text[i] | 0x20) {
        case 'h':
            if (at(i, "HREF")) words |= lwHref;
            else if (at(i, "HTTP-EQUIV")) words |= lwHttpEquiv;
            break;
        case 's':
            if (at(i, "SRC")) words |= lwSrc;
            break;
        case 'b':
            if (at(i, "BACKGROUND")) words |= lwBackground;
            break;
        default:
            break;
        }
    };
    size_t i = 1;
#ifdef __SSE2__
    // Sixteen places at a time: a letter that may start a word right after
    // a character that may precede a name.
    const __m128i lowerCase = _mm_set1_epi8(0x20);
    auto equals = [](__m128i bytes, char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
    auto places = [&](size_t from) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from - 1));
        const __m128i folded = _mm_or_si128(here, lowerCase);
        const __m128i letter =
            _mm_or_si128(_mm_or_si128(equals(folded, 'h'), equals(folded, 's')), equals(folded, 'b'));
        static_assert(sizeof kPrecedesName == 6, "one comparison per character below");
        const __m128i separator = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(equals(before, kPrecedesName[0]), equals(before, kPrecedesName[1])),
                         _mm_or_si128(equals(before, kPrecedesName[2]), equals(before, kPrecedesName[3]))),
            _mm_or_si128(equals(before, kPrecedesName[4]), equals(before, kPrecedesName[5])));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(letter, separator)));
    };
    auto lookAt = [&](size_t from, unsigned mask) {
        for (; mask; mask &= mask - 1) look(from + static_cast<size_t>(__builtin_ctz(mask)));
    };
    for (; i + 16 <= text.size(); i += 16) lookAt(i, places(i));
    // The rest as the last sixteen places, without those already seen.
    if (i < text.size() && text.size() >= 17) {
        const size_t last = text.size() - 16;
        lookAt(last, places(last) & ~((1u << (i - last)) - 1));
        i = text.size();
    }
#endif
    for (; i < text.size(); ++i)
        if (kMayPrecedeName[static_cast<unsigned char>(text[i - 1])]) look(i);
    return words;
}

// One attribute's text [start, end) as the scanner delimited it: the name
// (blanks removed), "=", blanks, and the value with or without its quotes.
bool SplitAttribute(std::string_view tag, size_t start, size_t end, TAttribute& out) {
    std::string_view text = tag.substr(start, end - start);
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) return false;
    size_t nameBegin = 0, nameEnd = eq;
    while (nameBegin < nameEnd && IsBlank(text[nameBegin]))
        ++nameBegin;
    while (nameEnd > nameBegin && IsBlank(text[nameEnd - 1]))
        --nameEnd;
    size_t v = eq + 1;
    while (v < text.size() && IsBlank(text[v]))
        ++v;
    size_t vEnd = text.size();
    if (v < text.size() && IsQuote(text[v])) {
        char quote = text[v++];
        if (vEnd > v && text[vEnd - 1] == quote) --vEnd;
    }
    out.Name = text.substr(nameBegin, nameEnd - nameBegin);
    out.Value = text.substr(v, vEnd - v);
    out.Position = start + v;
    return true;
}

// A refresh content that is only a delay ("5", "0;") names no page.
bool IsDelayOnly(std::string_view content) {
    for (char c : content)
        if (!(c >= '0' && c <= '9') && c != '.' && c != ';' && c != ',' && !IsBlank(c))
            return false;
    return true;
}

} // namespace

std::string TagNameOf(std::string_view tagText) {
    std::string name;
    AssignTagName(tagText, name);
    return name;
}

void AssignTagName(std::string_view tagText, std::string& name) {
    // Every tag of every page passes here, and names are a few letters
    // long: plain loops by table (a loop set up for long runs costs more
    // than the name).
    const size_t start = !tagText.empty() && tagText[0] == '/' ? 1 : 0;
    size_t end = start;
    while (end < tagText.size() && !IsBlank(tagText[end]))
        ++end;
    // resize keeps the room of the last name; assign would go the long way.
    name.resize(end - start);
    char* out = name.data();
    for (size_t i = start; i < end; ++i)
        *out++ = kUpper.Of[static_cast<unsigned char>(tagText[i])];
}

namespace {

// The scanner walks the text after the tag name with a blank appended. An
// attribute starts at a character after a blank while no "=" is pending; a
// quote opens a quoted value (unless an unquoted value has begun, which a
// quote cannot end) and the same quote closes it; a blank ends an unquoted
// value. Names without a value are skipped.
// The parser's own lookups run this for every tag, with no std::function in
// between; runs of ordinary characters and of blanks are passed in one go.
template <typename Visit> void ScanAttributes(std::string_view tag, Visit&& visit) {
    const size_t size = tag.size();
    auto classOf = [&](size_t k) { return kScanClass.Of[static_cast<unsigned char>(tag[k])]; };
    size_t i = 0;
    while (i < size && classOf(i) != scBlank)
        ++i;
    while (i < size && classOf(i) == scBlank)
        ++i;

    size_t start = i;
    bool seenEquals = false, unquoted = false;
    char quote = 0;
    bool afterBlank = i > 0 && classOf(i - 1) == scBlank;
    TAttribute attribute{};
    for (size_t k = i; k < size; ++k) {
        const char c = tag[k];
        switch (kScanClass.Of[static_cast<unsigned char>(c)]) {
        case scBlank:
            if (seenEquals && unquoted) {
                if (SplitAttribute(tag, start, k, attribute) && !visit(attribute)) return;
                seenEquals = unquoted = false;
                start = k + 1;
            }
            // Further blanks change nothing.
            while (k + 1 < size && classOf(k + 1) == scBlank)
                ++k;
            afterBlank = true;
            continue;
        case scQuote:
            if (unquoted) break;  // part of an unquoted value
            if (!quote) {
                quote = c;
                // After its "=", nothing inside a quoted value changes the
                // scan: on to the closing quote (or the end) at once.
                if (seenEquals) {
                    const void* close = k + 1 < size ? std::memchr(tag.data() + k + 1, c, size - k - 1) : nullptr;
                    k = (close ? static_cast<size_t>(static_cast<const char*>(close) - tag.data()) : size) - 1;
                }
            } else if (c == quote) {
                if (SplitAttribute(tag, start, k + 1, attribute) && !visit(attribute)) return;
                quote = 0;
                seenEquals = false;
                start = k + 1;
            }
            afterBlank = false;
            continue;
        case scEquals:
            seenEquals = true;
            afterBlank = false;
            continue;
        case scOther:
            break;
        }
        // An ordinary character (or a quote inside an unquoted value).
        if (!seenEquals && afterBlank) start = k;
        if (seenEquals && !quote) unquoted = true;
        afterBlank = false;
        // The rest of a run of ordinary characters changes nothing more.
        while (k + 1 < size && classOf(k + 1) == scOther)
            ++k;
    }
    // The end of the tag ends an unquoted value as a blank would.
    if (seenEquals && unquoted) SplitAttribute(tag, start, size, attribute) && visit(attribute);
}

// The first attribute named like name, as views into the tag text.
bool FindAttribute(std::string_view tag, std::string_view name, TAttribute& found) {
    bool present = false;
    ScanAttributes(tag, [&](const TAttribute& a) {
        if (!SameText(a.Name, name)) return true;
        found = a;
        present = true;
        return false;
    });
    return present;
}

} // namespace

void ForEachAttribute(std::string_view tag, const std::function<bool(const TAttribute&)>& visit) {
    ScanAttributes(tag, visit);
}

TAttributeValue GetAttributeValue(std::string_view tagText, std::string_view name) {
    TAttributeValue result;
    TAttribute found{};
    if (FindAttribute(tagText, name, found)) {
        result.Present = true;
        result.Value = DecodeCharacterReferences(found.Value);
        result.Position = found.Position;
        result.Length = found.Value.size();
    }
    return result;
}

TLinkAttribute FindLinkAttribute(std::string_view tagText, std::string_view tagName) {
    TLinkAttribute link;
    const unsigned words = LinkWordsAfterStart(tagText);
    if (words == 0) return link;
    auto take = [&](TLinkType type, bool named, const char* name) {
        if (!named) return false;
        TAttribute found{};
        if (!FindAttribute(tagText, name, found)) return false;
        link.Type = type;
        link.Value.assign(found.Value);
        link.Position = found.Position;
        link.Length = found.Value.size();
        return true;
    };
    // The value as the page means it; the span in the tag stays the raw one.
    auto decoded = [&]() -> TLinkAttribute& {
        if (!HasNoCharacterReference(link.Value)) link.Value = DecodeCharacterReferences(link.Value);
        return link;
    };
    if (take(ltPage, words & lwHref, "href")) return decoded();
    TLinkType srcType = tagName == "FRAME" ? ltPage : tagName == "SCRIPT" ? ltScriptFile : ltSource;
    if (take(srcType, words & lwSrc, "src")) return decoded();
    if (take(ltBackground, words & lwBackground, "background")) return decoded();

    if ((words & lwHttpEquiv) && LowerCase(GetAttributeValue(tagText, "http-equiv").Value) == "refresh" &&
        take(ltPage, ContainsWordAfterStart(tagText, "CONTENT"), "content")) {
        // "5; URL=next.html": only the part after the first "=" is the link.
        size_t eq = link.Value.find('=');
        if (eq == std::string::npos) {
            if (IsDelayOnly(link.Value)) return TLinkAttribute{};
            return decoded();
        }
        size_t skip = eq + 1;
        while (skip < link.Value.size() && link.Value[skip] == ' ')
            ++skip;
        std::string url = TrimRight(link.Value.substr(skip));
        if (url.size() >= 2 && IsQuote(url[0]) && url.back() == url[0]) {
            url = url.substr(1, url.size() - 2);
            ++skip;
        }
        link.Value = url;
        link.Position += skip;
        link.Length = url.size();
        return decoded();
    }
    return TLinkAttribute{};
}

bool MayHaveSrcset(std::string_view tagName, std::string_view tagText) {
    if (tagName != "IMG" && tagName != "SOURCE") return false;  // views: the lengths first
    static constexpr char kWord[] = "srcset";
    for (size_t i = 0; i + 6 <= tagText.size(); ++i) {
        size_t k = 0;
        while (k < 6 && (tagText[i + k] | 0x20) == kWord[k]) ++k;
        if (k == 6) return true;
    }
    return false;
}

std::string BaseTagWithoutHref(std::string_view tagText) {
    std::string tag = "<base";
    ForEachAttribute(tagText, [&](const TAttribute& a) {
        if (SameText(a.Name, "href")) return true;
        std::string value(a.Value);
        char quote = '"';
        if (value.find('"') != std::string::npos) {
            if (value.find('\'') == std::string::npos)
                quote = '\'';
            else
                value = ReplaceAll(value, "\"", "&quot;");
        }
        tag += ' ';
        tag += a.Name;
        tag += '=';
        tag += quote;
        tag += value;
        tag += quote;
        return true;
    });
    tag += '>';
    return tag;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
    std::vector<std::string> entries;
    if (text.find(',') == std::string_view::npos) {
        entries.emplace_back(text);
        return entries;
    }
    auto isSeparatorBlank = [](char c) { return c > 0 && static_cast<unsigned char>(c) <= ' '; };
    size_t i = 0;
    while (i < text.size() && isSeparatorBlank(text[i]))
        ++i;
    while (i < text.size()) {
        std::string entry;
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] != '"') {
                    entry += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    entry += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            size_t start = i;
            while (i < text.size() && !isSeparatorBlank(text[i]) && text[i] != ',')
                ++i;
            entry = std::string(text.substr(start, i - start));
        }
        entries.push_back(entry);
        while (i < text.size() && isSeparatorBlank(text[i]))
            ++i;
        if (i < text.size() && text[i] == ',') {
            if (i + 1 == text.size()) entries.emplace_back();
            do
                ++i;
            while (i < text.size() && isSeparatorBlank(text[i]));
        }
    }
    return entries;
}

} // namespace vorlin
