// Rewrites references in a stored page or style sheet after it was written:
// the end-of-run repair changes the references of links whose stored name
// changed, or that were never stored, without parsing the file anew. A
// reference is found by its exact text where a value stands: in a page,
// inside a tag (attribute values, style attributes) or a STYLE element,
// never in text, comments or scripts; in a style sheet, anywhere. Its text
// must be a whole value or url() argument: before it a quote, "(", "=" or a
// blank (or the start of the tag or sheet), after it a quote, ")", "#", a
// blank (or the end). So "a.css" is never found inside "data.css".
#pragma once

#include "links/ReferenceText.h"

#include <string>
#include <vector>

namespace vorlin {

struct TReferenceReplacement {
    std::string From;  // the reference's text as written, without fragment
    std::string To;
};

// Replaces the references in text; the number replaced.
int ReplaceReferences(std::string& text, TReferenceContainer container,
                      const std::vector<TReferenceReplacement>& replacements);

// The same on a stored file, which is replaced through a temporary file and
// a rename (and left alone when nothing changes). The number replaced;
// EStreamError when the file can't be read or written.
int RewriteStoredReferences(const std::string& hostPath, TReferenceContainer container,
                            const std::vector<TReferenceReplacement>& replacements);

} // namespace vorlin
