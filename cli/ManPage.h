// The manual page vorlin(1), made from the same texts as the help: the
// program's own (ProgramHelp.h) and what each command prints for --help.
// The build writes it with `vorlin help --man FILE` into
// build/share/man/man1/vorlin.1.
#pragma once

#include <string>

namespace vorlin::cli {

// A help text as man page source: "usage:" lines become the synopsis, lines
// "  TERM  text" (with their deeper-indented continuation lines) tagged
// paragraphs, a lone line ending in ":" a heading, the rest paragraphs.
std::string HelpToRoff(const std::string& help);

// The whole page.
std::string ManPage();

} // namespace vorlin::cli
