// The plugins' entries in a project's archives: settings objects filled from
// their entry, and entries replaced by what a plugin wrote. Shared by the
// hand-over before a run, the plugin data of a run and the options page.
#pragma once

#include "rules/PakArchive.h"
#include "rules/PluginCall.h"

#include <functional>
#include <string>

namespace vorlin {

class TPlugin;

// A new settings object of an initialised plugin (CreateSettings).
TComRef<vorlin_sdk::IPluginSettingsInterface> CreatePluginSettings(const TPlugin& plugin);
// Fills the settings from the archive's entry index (LoadFromStream).
void LoadPluginSettings(const TPakArchive& archive, int index, vorlin_sdk::IPluginSettingsInterface& settings,
                        const std::string& pluginName);
// A new settings object filled from the plugin's entry, when the archive
// has one (archive may be null: no entries).
TComRef<vorlin_sdk::IPluginSettingsInterface> LoadedPluginSettings(const TPlugin& plugin,
                                                                  const TPakArchive* archive);
// Hands the data of the archive's entry index to a plugin method as a
// stream at its start; a failure result raises EPluginError.
void PassArchiveEntry(const TPakArchive& archive, int index, const std::string& pluginName, const char* method,
                      const std::function<vorlin_sdk::HRESULT(vorlin_sdk::IStream*)>& call);
// Lets a plugin method write into data (emptied first).
void CollectPluginOutput(TMemoryStream& data, const std::string& pluginName, const char* method,
                         const std::function<vorlin_sdk::HRESULT(vorlin_sdk::IStream*)>& call);
// Deletes the first entry of that name and appends the data under it.
void ReplaceArchiveEntry(TPakArchive& archive, const std::string& name, TStream& data);

} // namespace vorlin
