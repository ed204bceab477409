#include "cli/run/ProgramSettingsStore.h"

#include "platform/FileSystem.h"
#include "project/ProgramSettings.h"
#include "project/ProgramSettingsFile.h"

#include <exception>

namespace vorlin::cli {

std::string ProgramSettingsFile(const std::string& home) { return IncludeTrailingSlash(home) + "HttpVorlin.ini"; }

bool LoadProgramSettings(const std::string& home, TProgramSettings& settings, std::string& error) {
    try {
        LoadProgramSettingsFile(ProgramSettingsFile(home), settings);
        return true;
    } catch (const std::exception& e) {
        error = ProgramSettingsFile(home) + ": " + e.what();
        return false;
    }
}

bool SaveProgramSettings(const std::string& home, const TProgramSettings& settings, std::string& error) {
    try {
        ForceDirectories(home);
        SaveProgramSettingsFile(ProgramSettingsFile(home), settings);
        return true;
    } catch (const std::exception& e) {
        error = "can't write " + ProgramSettingsFile(home) + ": " + e.what();
        return false;
    }
}

} // namespace vorlin::cli
