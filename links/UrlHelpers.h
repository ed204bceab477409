// URL arithmetic on 8-bit strings: what kind of reference a link text is,
// percent-encoding and decoding, resolving a reference against its page,
// turning a URL path into a relative local file name, and splitting a URL
// into its parts. Positions count characters from 1, as the stored data and
// the algorithms that use these helpers do.
#pragma once

#include "links/LinkTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

// The scheme class of a link text; absolute is set for every kind but lkRelative.
TLinkKind ClassifyLink(std::string_view text, bool* absolute = nullptr);

// Percent-encodes what a URL can't hold; existing upper-case escapes stay.
std::string EncodeURL(std::string_view text);
// Decodes escapes from the last to the first; throws Exception
// "Error HTTPDecoding %s" on a malformed escape.
std::string HTTPDecode(std::string_view text);
// Hexadecimal digits to a number; other characters count 0.
int HexToInt(std::string_view text);

// The absolute URL of ref on the page base; never climbs above the root.
std::string ResolveURL(const std::string& base, std::string_view ref);
// What of base ResolveURL uses for every ref but a query alone ("?x"): its
// directory, up to its last "/" before any query or fragment.
std::string_view ResolutionDirectory(std::string_view base);
// Pieces of text between separators (see the link tree for the exact rule).
std::vector<std::string> SplitString(std::string_view text, char separator);

// Position (from 1) of the n-th occurrence of sub; n < 0 counts from the
// right (0 when absent); n > 0 answers Length(text) + missing occurrences
// when there are fewer than n; n = 0 answers 0.
int PosOfNth(std::string_view sub, std::string_view text, int n);
// The last count characters.
std::string RightPart(std::string_view text, int count);
// A non-empty text ending in ch.
std::string AppendIfMissing(std::string text, char ch);
std::string RemoveLineBreaks(std::string_view text);

// Path of a URL to a relative local name ("\" separated when convertSlashes);
// invalid is set when a character a file name can't hold stayed (empty
// replacement).
std::string URLToLocalName(const std::string& path, const std::string& replacement,
                           bool convertSlashes, bool& invalid);
// A text usable as a file name (project names).
std::string ReplaceInvalidFileChars(std::string_view text, const std::string& replacement);
std::string SlashToBackslash(std::string_view text);
std::string BackslashToSlash(std::string_view text);
// The domain of a server root: the last two labels of its host text.
std::string DomainOfRoot(const std::string& root);

// The parts of a URL; all empty when absent.
struct TURLParts {
    std::string Proto, User, Password, Host, Port, Path;
};
TURLParts SplitURL(const std::string& url);

// The path of a URL (after the root, query included) without its "." and
// ".." segments, escaped dots included, as a browser asks for it: "a/./b"
// is "a/b", "a/b/.." and "a/." are "a/", and nothing climbs above the root.
// The query and fragment stay as they are.
std::string RemoveDotSegments(const std::string& path);

// The local directory of a server root: its host and "\"; with withPort a
// port other than the scheme's own follows the host after a "+"
// ("127.0.0.1+8080\"), so that two servers of one host keep their files
// apart. User and password never appear.
std::string LocalDirOfServer(const std::string& server, bool withPort);

} // namespace vorlin
