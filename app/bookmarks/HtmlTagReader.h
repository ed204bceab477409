// Reads a bookmark file as a sequence of tags: the text between the next
// "<" and its matching ">" (nested brackets counted), without the brackets;
// a comment "<!--" ... "-->" is one tag. Also answers the text up to the
// next tag (a bookmark's title) and attribute values of a tag.
#pragma once

#include <string>
#include <string_view>

namespace vorlin::app {

class THtmlTagReader {
public:
    explicit THtmlTagReader(std::string_view text) : FText(text) {}

    // Throws EBookmarkImport "Can not find next HTML-Tag" when no tag
    // follows or it has no end, "Can not find end of HTML-Remark" for an
    // unclosed comment.
    std::string NextTag();
    // The text from here up to the next "<" (to the end when there is none).
    std::string TextUpToNextTag();

private:
    std::string_view FText;
    size_t FPos = 0;
};

// The value of the attribute name (compared without regard to case) in the
// text of a tag; values in double or single quotes, or bare up to a blank.
// Empty when the tag has none.
std::string TagAttribute(std::string_view tag, std::string_view name);

} // namespace vorlin::app
