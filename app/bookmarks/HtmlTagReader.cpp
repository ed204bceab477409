#include "app/bookmarks/HtmlTagReader.h"

#include "app/bookmarks/BookmarkImport.h"
#include "platform/StringUtils.h"


namespace vorlin::app {

std::string THtmlTagReader::NextTag() {
    const size_t open = FText.find('<', FPos);
    if (open == std::string_view::npos) throw EBookmarkImport("Can not find next HTML-Tag");
    if (FText.substr(open, 4) == "<!--") {
        const size_t end = FText.find("-->", open + 4);
        if (end == std::string_view::npos) throw EBookmarkImport("Can not find end of HTML-Remark");
        FPos = end + 3;
        return std::string(FText.substr(open + 1, end + 2 - (open + 1)));
    }
    int depth = 0;
    for (size_t i = open; i < FText.size(); ++i) {
        if (FText[i] == '<') {
            ++depth;
        } else if (FText[i] == '>' && --depth == 0) {
            FPos = i + 1;
            return std::string(FText.substr(open + 1, i - open - 1));
        }
    }
    throw EBookmarkImport("Can not find next HTML-Tag");
}

std::string THtmlTagReader::TextUpToNextTag() {
    size_t next = FText.find('<', FPos);
    if (next == std::string_view::npos) next = FText.size();
    std::string text(FText.substr(FPos, next - FPos));
    FPos = next;
    return text;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsNameChar(char c) { return !IsBlank(c) && c != '=' && c != '>' && c != '/' && c != '"' && c != '\''; }

} // namespace

std::string TagAttribute(std::string_view tag, std::string_view name) {
    size_t i = 0;
    // Past the tag's own name.
    while (i < tag.size() && !IsBlank(tag[i])) ++i;
    while (i < tag.size()) {
        while (i < tag.size() && (IsBlank(tag[i]) || tag[i] == '/')) ++i;
        const size_t nameStart = i;
        while (i < tag.size() && IsNameChar(tag[i])) ++i;
        if (i == nameStart) {
            ++i;  // a stray quote or "=": step over it
            continue;
        }
        const std::string_view attribute = tag.substr(nameStart, i - nameStart);
        while (i < tag.size() && IsBlank(tag[i])) ++i;
        std::string_view value;
        if (i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && IsBlank(tag[i])) ++i;
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                const char quote = tag[i++];
                const size_t end = tag.find(quote, i);
                const size_t stop = end == std::string_view::npos ? tag.size() : end;
                value = tag.substr(i, stop - i);
                i = stop == tag.size() ? stop : stop + 1;
            } else {
                const size_t start = i;
                while (i < tag.size() && !IsBlank(tag[i])) ++i;
                value = tag.substr(start, i - start);
            }
        }
        if (SameText(attribute, name)) return std::string(value);
    }
    return std::string();
}

} // namespace vorlin::app
