// The program's own help texts, beside those of its commands: what
// `vorlin --help` prints around the command list, and the sections of the
// manual page that is made from the same texts (ManPage.h).
#pragma once

#include <string>
#include <vector>

namespace vorlin::cli {

// "vorlin (HTTP Vorlin) 0.1".
std::string VersionText();

// One line: what the program does.
extern const char* const kProgramSummary;
// The paragraphs that introduce the program.
extern const char* const kProgramDescription;

struct THelpSection {
    const char* Title;  // "Files", "Environment", ...
    const char* Text;   // paragraphs; indented lines "  NAME  text" are entries
};
const std::vector<THelpSection>& ProgramHelpSections();

// The whole top-level help: usage, description, commands, the sections.
std::string ProgramHelp();

} // namespace vorlin::cli
