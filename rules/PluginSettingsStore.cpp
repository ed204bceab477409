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

void PassArchiveEntry(const TPakArchive& archive, int index, const std::string& pluginName, const char* method,
                      const std::function<HRESULT(IStream*)>& call) {
    TMemoryStream data;
    archive.Read(index, data);
    data.SetPosition(0);
    TComRef<TComStream> stream(TComStream::Create(data));
    CheckPluginResult(call(stream.Get()), pluginName, method);
}

void CollectPluginOutput(TMemoryStream& data, const std::string& pluginName, const char* method,
                         const std::function<HRESULT(IStream*)>& call) {
    data.Clear();
    TComRef<TComStream> stream(TComStream::Create(data));
    CheckPluginResult(call(stream.Get()), pluginName, method);
}

void LoadPluginSettings(const TPakArchive& archive, int index, IPluginSettingsInterface& settings,
                        const std::string& pluginName) {
    PassArchiveEntry(archive, index, pluginName, "LoadFromStream",
                     [&](IStream* stream) { return settings.LoadFromStream(stream); });
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
