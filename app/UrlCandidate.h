// Whether a text handed to the program from outside (the clipboard, the
// command line, another instance) is an address to make a project for: one
// line starting with "http://" or "https://" in any case, with no blank or
// control character in it, at most kMaxUrlCandidate bytes. Surrounding
// blanks and line breaks are dropped. Anything else is no address, so a
// copied paragraph or a megabyte of text never becomes a project.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlin::app {

constexpr size_t kMaxUrlCandidate = 4096;

std::optional<std::string> UrlCandidate(std::string_view text);

} // namespace vorlin::app
