// The program settings of the command line, kept in "HttpVorlin.ini" in the
// program directory.
#pragma once

#include <string>

namespace vorlin {
struct TProgramSettings;
}

namespace vorlin::cli {

std::string ProgramSettingsFile(const std::string& home);
// A missing file leaves the defaults; false with a message when it can't be read.
bool LoadProgramSettings(const std::string& home, TProgramSettings& settings, std::string& error);
bool SaveProgramSettings(const std::string& home, const TProgramSettings& settings, std::string& error);

} // namespace vorlin::cli
