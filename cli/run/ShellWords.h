// Commands printed for the user to paste into a shell (the one that resumes
// a stopped run): every word quoted where the shell would split or expand
// it, since program directories hold spaces ("Quick Projects").
#pragma once

#include <string>
#include <vector>

namespace vorlin::cli {

// The word as the shell reads it back unchanged: as it is when it holds
// only safe characters, else in single quotes (a ' inside as '\'').
std::string ShellQuoted(const std::string& word);
// The words quoted and joined by blanks.
std::string ShellCommand(const std::vector<std::string>& words);

// How the running program is named in such a command: "vorlin" when the
// search path finds this very program under that name, else its full path.
std::string ProgramCommandName();

} // namespace vorlin::cli
