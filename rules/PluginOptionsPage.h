// What the plugin page of the project options dialog does, without the
// dialog: the check list's states when it opens, storing them when it
// closes (OK or Cancel alike), "Configure" and "Show Data", and when those
// two buttons are enabled. The command line uses the same functions.
// projectPluginsFile is the project's ".prj.plugins" archive,
// dataPluginsFile its ".dat.plugins" archive.
#pragma once

#include <string>
#include <vector>

namespace vorlin {

class TPlugin;
class TPluginSystem;

// One check state per plugin, in plugin order: the plugin's stored
// settings (or its defaults) say it is active for the project.
std::vector<bool> PluginPageShown(const TPluginSystem& plugins, const std::string& projectPluginsFile);
// Stores every plugin's settings with its check state and compacts the archive.
void PluginPageClosed(const TPluginSystem& plugins, const std::string& projectPluginsFile,
                      const std::vector<bool>& checked);

// "Configure" is offered: a new settings object says it can be configured.
bool CanConfigurePlugin(const TPlugin& plugin);
// "Show Data" is offered: the plugin is a download plugin.
bool CanShowPluginData(const TPlugin& plugin);

// Opens the plugin's own settings dialog on its stored settings and stores
// what it answers; a cancelled or failed dialog keeps the stored settings.
void ConfigurePlugin(const TPlugin& plugin, const std::string& projectPluginsFile, void* parentWindow);
// Hands the plugin its stored data and lets it show it (nothing without data).
void ShowPluginData(const TPlugin& plugin, const std::string& dataPluginsFile);

} // namespace vorlin
