// The text a stored file uses to refer to another: the relative reference
// from one stored file to another's stored copy, as page rewriting writes it
// (and as the end-of-run repair finds it again), and the absolute address
// written in its place when there is no stored copy. Both are percent-
// encoded so that they stand in an attribute value or a CSS url() as they
// are, whatever the file names hold.
#pragma once

#include <string>
#include <string_view>

namespace vorlin {

class TDownloadLink;

// Where a reference is written: an HTML attribute (or STYLE text) of a page,
// or a style sheet.
enum class TReferenceContainer { rcHtml, rcCss };

// A relative path between stored files made safe for any URL context:
// everything but letters, digits, "/" and "-._~!$*+,;=@" is percent-encoded
// (a blank, "%", "#", "?", quotes, brackets, "&", ":" and bytes above 127
// included), so a browser decoding it finds the name on disk.
std::string EncodeLocalReference(std::string path);

// The reference from page's stored file to target's, without fragment, as
// it is written: EncodeLocalReference of the relative path.
std::string LocalReferenceText(const TDownloadLink& page, const TDownloadLink& target);
// The same for a target stored under the given local directory and name
// (the name target had before it was changed).
std::string LocalReferenceText(const TDownloadLink& page, const std::string& targetLocalDir,
                               const std::string& targetLocalFileName);

// A fragment ("#sec") as it may stand after a reference in the container.
std::string FragmentText(std::string_view fragment, TReferenceContainer container);

// The target's absolute address, without fragment, as it may stand in the
// container: in HTML "&" is written "&amp;" and "'" "&#39;"; in a style sheet
// quotes and brackets are percent-encoded.
std::string AbsoluteReferenceText(const TDownloadLink& target, TReferenceContainer container);

} // namespace vorlin
