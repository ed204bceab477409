// Reads a page from its growing receive buffer: text runs, tags (between "<"
// and ">", quotes not honoured), comments (to "-->") and script bodies (to
// their end tag). A read that finds its end missing leaves the position where
// it was and remembers how far it searched, so that a tag arriving over many
// blocks is scanned once, not again from its start on every block.
// Positions count from the page's first byte; the buffer may hold only the
// part from some origin on (what was read before it has been let go).
#pragma once

#include "platform/Exception.h"

#include <cstddef>
#include <string_view>

namespace vorlin {

// Raised when the buffer holds no further complete tag or comment.
class EHTMLTagNotFound : public Exception {
  public:
    using Exception::Exception;
};

class THTMLTagReader {
  public:
    // Points the reader at the buffer (which may have moved or grown since
    // the last call; only appending, and letting go of what was read, is
    // allowed) at the given position. data holds the bytes from origin to
    // size.
    void Attach(const char* data, size_t origin, size_t size, size_t position);
    // Drops what the reader remembers about an incomplete tag (new document).
    void Forget();

    size_t Position() const { return FPos; }
    // Goes on reading at position, which an earlier read of the same bytes
    // reached (a scan made ahead).
    void MoveTo(size_t position) { FPos = position < FSize ? position : FSize; }
    size_t Size() const { return FSize; }
    bool AtEnd() const { return FPos >= FSize; }
    // The bytes [from, to) of the buffer (from at or after the origin).
    std::string_view Slice(size_t from, size_t to) const { return {At(from), to - from}; }

    // From the position up to the next "<" (not consumed) or the end.
    std::string_view ReadText();
    // The next tag's text without its brackets; for a comment the text from
    // "!--" to "--". False, with the position unchanged, when it has not
    // arrived completely.
    bool TryReadTag(std::string_view& tagText);
    // As TryReadTag, raising EHTMLTagNotFound instead of answering false.
    std::string_view ReadTag();
    // From the position up to and including the next "-->"; raises
    // EHTMLTagNotFound ("Can not find end of HTML-Remark") when there is none.
    std::string_view ReadComment();
    // Reads on in a script body, which ends before its end tag ("</script"
    // followed by a blank, "/" or ">", letters in any case). True when the
    // end tag was found: the position stands on it. False: the position has
    // moved as far as the end tag cannot begin. passed is what this call
    // read, so that the caller can write a long body as it arrives.
    bool TryReadScriptBody(std::string_view& passed);
    // For a tag or comment too long to hold: passes its bytes on as they
    // arrive. True when its end (">", or "-->" for a comment) was passed;
    // false when passed is all that could go (a comment keeps its last two
    // bytes back, which may begin its end).
    bool PassTagRest(std::string_view& passed);
    bool PassCommentRest(std::string_view& passed);

  private:
    enum class TSearch { seNone, seTagEnd, seCommentEnd };
    // Where the search for the end of the item starting at start may go on.
    size_t ResumeSearch(TSearch kind, size_t start, size_t from) const;
    void RememberSearch(TSearch kind, size_t start, size_t searchedTo);
    // Position of the first "-->" at or after from, or npos.
    size_t FindCommentEnd(size_t from) const;

    const char* At(size_t position) const { return FData + (position - FOrigin); }
    size_t OffsetOf(const void* p) const { return FOrigin + static_cast<size_t>(static_cast<const char*>(p) - FData); }

    const char* FData = nullptr;  // the byte at FOrigin
    size_t FOrigin = 0;
    size_t FSize = 0;
    size_t FPos = 0;
    TSearch FSearch = TSearch::seNone;
    size_t FSearchStart = 0;
    size_t FSearchedTo = 0;
};

} // namespace vorlin
