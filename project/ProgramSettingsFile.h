// The program settings record in "HttpVorlin.ini": every field under its
// section and key, booleans as "1"/"0", passwords scrambled. A missing file
// or key gives the field's default.
#pragma once

#include <string>

namespace vorlin {

class TIniFile;
struct TProgramSettings;

void ReadProgramSettings(const TIniFile& ini, TProgramSettings& settings);
void WriteProgramSettings(TIniFile& ini, const TProgramSettings& settings);

// The same for the file; writing keeps its other entries and replaces it atomically.
void LoadProgramSettingsFile(const std::string& hostPath, TProgramSettings& settings);
void SaveProgramSettingsFile(const std::string& hostPath, const TProgramSettings& settings);

} // namespace vorlin
