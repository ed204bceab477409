// Where a rewritten reference points: from the stored style sheet to the
// stored copy of the file it names, both given as local directory plus local
// name ("host\dir\file.css"), the way the program rewrites page links.
#pragma once

#include <string>
#include <string_view>

namespace css_plugin {

// The relative path from the page's directory to the target: common leading
// directories dropped (compared without regard to case), "../" for each
// remaining directory of the page, "/" separators.
std::string LocalRelativeReference(std::string_view pageLocal, std::string_view targetLocal);

// Percent-encodes what a url() value or a file URL cannot hold as it is
// (blanks, quotes, brackets, "\", "%", "#", "?" and control characters).
std::string EscapeForCssUrl(std::string_view path);

} // namespace css_plugin
