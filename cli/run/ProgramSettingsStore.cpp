#include "cli/run/ProgramSettingsStore.h"

#include "platform/FileSystem.h"
#include "project/ProgramSettings.h"

namespace vorlin::cli {

std::string ProgramSettingsFile(const std::string& home) { return IncludeTrailingSlash(home) + "HttpVorlin.ini"; }

// FIXME: the settings file is not read or written yet; every run starts from
// the defaults and the options given.
bool LoadProgramSettings(const std::string&, TProgramSettings&, std::string&) { return true; }
bool SaveProgramSettings(const std::string&, const TProgramSettings&, std::string&) { return true; }

} // namespace vorlin::cli
