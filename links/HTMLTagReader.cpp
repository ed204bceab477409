#include "links/HTMLTagReader.h"

#include "platform/StringUtils.h"

#include <cstring>

namespace vorlin {

namespace {

const char* const kTagNotFound = "Can not find next HTML-Tag";
const char* const kRemarkNotFound = "Can not find end of HTML-Remark";

} // namespace

void THTMLTagReader::Attach(const char* data, size_t origin, size_t size, size_t position) {
    if (size < FSize) Forget(); // the buffer was replaced, not appended to
    FData = data;
    FOrigin = origin;
    FSize = size;
    FPos = position < size ? position : size;
    if (FPos < origin) FPos = origin;
}

void THTMLTagReader::Forget() {
    FSearch = TSearch::seNone;
    FSearchStart = FSearchedTo = 0;
}

size_t THTMLTagReader::ResumeSearch(TSearch kind, size_t start, size_t from) const {
    if (FSearch == kind && FSearchStart == start && FSearchedTo > from) return FSearchedTo;
    return from;
}

void THTMLTagReader::RememberSearch(TSearch kind, size_t start, size_t searchedTo) {
    FSearch = kind;
    FSearchStart = start;
    FSearchedTo = searchedTo;
}

size_t THTMLTagReader::FindCommentEnd(size_t from) const {
    while (from + 3 <= FSize) {
        const void* dash = std::memchr(At(from), '-', FSize - from);
        if (!dash) return std::string_view::npos;
        size_t p = OffsetOf(dash);
        if (p + 3 > FSize) return std::string_view::npos;
        if (*At(p + 1) == '-' && *At(p + 2) == '>') return p;
        from = p + 1;
    }
    return std::string_view::npos;
}

std::string_view THTMLTagReader::ReadText() {
    size_t start = FPos;
    const void* lt = FPos < FSize ? std::memchr(At(FPos), '<', FSize - FPos) : nullptr;
    FPos = lt ? OffsetOf(lt) : FSize;
    return Slice(start, FPos);
}

bool THTMLTagReader::TryReadTag(std::string_view& tagText) {
    const void* found = FPos < FSize ? std::memchr(At(FPos), '<', FSize - FPos) : nullptr;
    if (!found) return false;
    size_t lt = OffsetOf(found);

    if (FSize - lt >= 4 && std::memcmp(At(lt), "<!--", 4) == 0) {
        // "-->" may overlap the opening "<!--", as in "<!-->".
        size_t from = ResumeSearch(TSearch::seCommentEnd, lt, lt);
        size_t end = FindCommentEnd(from);
        if (end == std::string_view::npos) {
            RememberSearch(TSearch::seCommentEnd, lt, FSize >= 2 ? FSize - 2 : 0);
            return false;
        }
        tagText = Slice(lt + 1, end + 2);
        FPos = end + 3;
        return true;
    }

    size_t from = ResumeSearch(TSearch::seTagEnd, lt, lt + 1);
    const void* gt = from < FSize ? std::memchr(At(from), '>', FSize - from) : nullptr;
    if (!gt) {
        RememberSearch(TSearch::seTagEnd, lt, FSize);
        return false;
    }
    size_t end = OffsetOf(gt);
    tagText = Slice(lt + 1, end);
    FPos = end + 1;
    return true;
}

std::string_view THTMLTagReader::ReadTag() {
    std::string_view tagText;
    if (TryReadTag(tagText)) return tagText;
    // Tell an unfinished comment from a missing tag, as the message does.
    const void* lt = FPos < FSize ? std::memchr(At(FPos), '<', FSize - FPos) : nullptr;
    size_t p = lt ? OffsetOf(lt) : FSize;
    bool comment = FSize - p >= 4 && std::memcmp(At(p), "<!--", 4) == 0;
    throw EHTMLTagNotFound(comment ? kRemarkNotFound : kTagNotFound);
}

std::string_view THTMLTagReader::ReadComment() {
    size_t end = FindCommentEnd(FPos);
    if (end == std::string_view::npos) throw EHTMLTagNotFound(kRemarkNotFound);
    size_t start = FPos;
    FPos = end + 3;
    return Slice(start, FPos);
}

bool THTMLTagReader::TryReadScriptBody(std::string_view& passed) {
    static const char kEndTag[] = "</script";
    const size_t tagLength = sizeof kEndTag - 1;
    size_t start = FPos;
    size_t from = FPos;
    while (from < FSize) {
        const void* found = std::memchr(At(from), '<', FSize - from);
        if (!found) break;
        size_t lt = OffsetOf(found);
        size_t available = FSize - lt;
        size_t compared = available < tagLength ? available : tagLength;
        bool matches = true;
        for (size_t i = 1; i < compared && matches; ++i)
            matches = LowerAscii(*At(lt + i)) == kEndTag[i];
        if (matches && available <= tagLength) {
            FPos = lt; // may be the start of the end tag: wait for more
            passed = Slice(start, FPos);
            return false;
        }
        if (matches) {
            char next = *At(lt + tagLength);
            if (next == '>' || next == '/' || next == ' ' || next == '\t' || next == '\n' ||
                next == '\r' || next == '\f') {
                FPos = lt;
                passed = Slice(start, FPos);
                return true;
            }
        }
        from = lt + 1;
    }
    FPos = FSize;
    passed = Slice(start, FPos);
    return false;
}

} // namespace vorlin

namespace vorlin {

bool THTMLTagReader::PassTagRest(std::string_view& passed) {
    const size_t start = FPos;
    const void* gt = FPos < FSize ? std::memchr(At(FPos), '>', FSize - FPos) : nullptr;
    FPos = gt ? OffsetOf(gt) + 1 : FSize;
    passed = Slice(start, FPos);
    return gt != nullptr;
}

bool THTMLTagReader::PassCommentRest(std::string_view& passed) {
    const size_t start = FPos;
    size_t end = FindCommentEnd(FPos);
    if (end != std::string_view::npos) {
        FPos = end + 3;
        passed = Slice(start, FPos);
        return true;
    }
    if (FSize >= 2 && FSize - 2 > FPos) FPos = FSize - 2;
    passed = Slice(start, FPos);
    return false;
}

} // namespace vorlin
