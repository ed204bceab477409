// The attribute scanner of the HTML link parser: names of tags, values of
// attributes (with their position in the tag text, for rewriting), the one
// link attribute of a tag, the BASE tag without its href, and the comma
// lists of APPLET archives. Pure functions on the tag text, the part between
// "<" and ">"; GetAttributeValue is also offered to plugins.
#pragma once

#include "links/LinkTypes.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

// Upper-case name of a tag: the text up to its first blank, tab or line
// break; for an end tag the same after its "/". Empty when the text begins
// with a blank.
std::string TagNameOf(std::string_view tagText);
// The same into name, whose room is reused from tag to tag.
void AssignTagName(std::string_view tagText, std::string& name);

struct TAttributeValue {
    bool Present = false;
    std::string Value;   // without its quotes, character references decoded
    size_t Position = 0; // of the value's first character in the tag text, from 0
    size_t Length = 0;   // of the value as it stands in the tag text
};

// The first attribute of the tag named like name (without regard to case).
// An attribute with an empty value is present; one without "=" is not.
TAttributeValue GetAttributeValue(std::string_view tagText, std::string_view name);

struct TAttribute {
    std::string_view Name;  // as written
    std::string_view Value; // without its quotes
    size_t Position;        // of the value in the tag text
};

// Calls visit for every attribute that has a value, in order, until it
// answers false.
void ForEachAttribute(std::string_view tagText,
                      const std::function<bool(const TAttribute&)>& visit);

// The link attribute of a tag: the first present of href (ltPage), src
// (ltPage in FRAME, ltScriptFile in SCRIPT, else ltSource), background
// (ltBackground) and the URL of a META refresh (ltPage).
struct TLinkAttribute {
    TLinkType Type = ltNone;
    std::string Value;   // character references decoded
    size_t Position = 0; // where the value stands in the tag text
    size_t Length = 0;   // how many characters of the tag text it spans
};
TLinkAttribute FindLinkAttribute(std::string_view tagText, std::string_view tagName);
// A link attribute whose value is kept elsewhere (by a TLinkAttribute, or
// by a page scan for all of its tags at once).
struct TLinkAttributeView {
    TLinkAttributeView() = default;
    TLinkAttributeView(TLinkType type, std::string_view value, size_t position, size_t length)
        : Type(type), Value(value), Position(position), Length(length) {}
    explicit TLinkAttributeView(const TLinkAttribute& attribute)
        : TLinkAttributeView(attribute.Type, attribute.Value, attribute.Position, attribute.Length) {}
    TLinkType Type = ltNone;
    std::string_view Value;
    size_t Position = 0;
    size_t Length = 0;
};
// IMG and SOURCE (in PICTURE) may name images in a srcset besides their src.
bool MayHaveSrcset(std::string_view tagName, std::string_view tagText);

// The BASE tag without its href: "<base" followed by ` name="value"` for
// every other attribute, and ">".
std::string BaseTagWithoutHref(std::string_view tagText);

// The entries of a comma list: separated by commas or blanks, entries in
// double quotes may hold either ("" is a quote); a text without a comma is
// one entry.
std::vector<std::string> SplitCommaText(std::string_view text);

} // namespace vorlin
