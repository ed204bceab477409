#include "rules/PluginSettingsStore.h"

#include "rules/ComStream.h"
#include "rules/PluginSystem.h"

namespace vorlin {

using namespace vorlin_sdk;

TComRef<IPluginSettingsInterface> CreatePluginSettings(const TPlugin& plugin) {
    if (!plugin.Plugin) throw EPluginError("Plugin " + plugin.Name + " is not initialised");
    TComRef<IPluginSettingsInterface> settings;
    CheckPluginResult(plugin.Plugin->CreateSettings(settings.Out()), plugin.Name, "CreateSettings");
    if (!settings) throw EPluginError("Plugin " + plugin.Name + ": CreateSettings handed over no settings");
    return settings;
}

void LoadPluginSettings(const TPakArchive& archive, int index, IPluginSettingsInterface& settings,
                        const std::string& pluginName) {
    TMemoryStream data;
    archive.Read(index, data);
    data.SetPosition(0);
    TComRef<TComStream> stream(TComStream::Create(data));
    CheckPluginResult(settings.LoadFromStream(stream.Get()), pluginName, "LoadFromStream");
}

TComRef<IPluginSettingsInterface> LoadedPluginSettings(const TPlugin& plugin, const TPakArchive* archive) {
    TComRef<IPluginSettingsInterface> settings = CreatePluginSettings(plugin);
    if (archive) {
        int index = archive->Find(TPluginSystem::NameOf(plugin));
        if (index >= 0) LoadPluginSettings(*archive, index, *settings.Get(), plugin.Name);
    }
    return settings;
}

void ReplaceArchiveEntry(TPakArchive& archive, const std::string& name, TStream& data) {
    int index = archive.Find(name);
    if (index >= 0) archive.Delete(index);
    archive.Add(data, name);
}

} // namespace vorlin
