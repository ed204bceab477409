// Where a rewritten reference points: from the stored style sheet to the
// stored copy of the file it names, both given as local directory plus local
// name ("host\dir\file.css"), the way the program rewrites page links.
#pragma once

#include <string>
#include <string_view>

namespace css_plugin {

// The relative path from the page's directory to the target: common leading
// directories dropped (compared without regard to case), "../" for each
// remaining directory of the page, "/" separators; a target that names a
// directory ("h\dir\") leads to its "index.html".
std::string LocalRelativeReference(std::string_view pageLocal, std::string_view targetLocal);

// Percent-encodes everything but letters, digits, "/" and "-._~!$*+,;=@"
// (so blanks, quotes, brackets, "\", "%", "#", "?", "&", ":" and bytes above
// 127 too): what a url() value or a file URL can hold as it is, and the
// same text the program writes for page links.
std::string EscapeForCssUrl(std::string_view path);

} // namespace css_plugin
