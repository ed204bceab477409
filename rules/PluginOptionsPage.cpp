#include "rules/PluginOptionsPage.h"

#include "platform/FileSystem.h"
#include "rules/PluginSettingsStore.h"
#include "rules/PluginSystem.h"

namespace vorlin {

using namespace vorlin_sdk;

namespace {

void SaveSettings(IPluginSettingsInterface& settings, TMemoryStream& data, const std::string& pluginName) {
    CollectPluginOutput(data, pluginName, "SaveToStream",
                        [&](IStream* stream) { return settings.SaveToStream(stream); });
}

} // namespace

std::vector<bool> PluginPageShown(const TPluginSystem& plugins, const std::string& projectPluginsFile) {
    std::vector<bool> checked;
    // Showing reads only: a project without an archive gets none made.
    std::unique_ptr<TPakArchive> archive;
    if (FileExists(projectPluginsFile)) archive = std::make_unique<TPakArchive>(projectPluginsFile);
    for (auto& p : plugins.Plugins()) {
        bool active = false;
        if (p->Plugin) {
            TComRef<IPluginSettingsInterface> settings = LoadedPluginSettings(*p, archive.get());
            VBOOL a = 0;
            CheckPluginResult(settings->GetActive(&a), p->Name, "GetActive");
            active = a != 0;
        }
        checked.push_back(active);
    }
    return checked;
}

void PluginPageClosed(const TPluginSystem& plugins, const std::string& projectPluginsFile,
                      const std::vector<bool>& checked) {
    TPakArchive archive(projectPluginsFile);
    for (size_t i = 0; i < plugins.Plugins().size(); ++i) {
        const TPlugin& p = *plugins.Plugins()[i];
        if (!p.Plugin) continue;  // nothing to ask a plugin that did not initialise
        TComRef<IPluginSettingsInterface> settings = LoadedPluginSettings(p, &archive);
        bool active = i < checked.size() && checked[i];
        CheckPluginResult(settings->SetActive(active ? 1 : 0), p.Name, "SetActive");
        TMemoryStream data;
        SaveSettings(*settings.Get(), data, p.Name);
        ReplaceArchiveEntry(archive, TPluginSystem::NameOf(p), data);
    }
    archive.Compact();
}

bool CanConfigurePlugin(const TPlugin& plugin) {
    TComRef<IPluginSettingsInterface> settings = CreatePluginSettings(plugin);
    VBOOL configurable = 0;
    CheckPluginResult(settings->CanConfigure(&configurable), plugin.Name, "CanConfigure");
    return configurable != 0;
}

bool CanShowPluginData(const TPlugin& plugin) {
    return (TPluginSystem::CapabilitiesOf(plugin) & PLUGIN_CAP_DOWNLOAD) != 0;
}

void ConfigurePlugin(const TPlugin& plugin, const std::string& projectPluginsFile, void* parentWindow) {
    TPakArchive archive(projectPluginsFile);
    TComRef<IPluginSettingsInterface> settings = CreatePluginSettings(plugin);
    std::string name = TPluginSystem::NameOf(plugin);
    TMemoryStream stored;
    int index = archive.Find(name);
    if (index >= 0) {
        archive.Read(index, stored);
        LoadPluginSettings(archive, index, *settings.Get(), plugin.Name);
    }
    // The stored entry is replaced only by what a confirmed dialog saved, so
    // that Cancel, or a plugin failing on the way, loses no settings.
    TMemoryStream edited;
    VBOOL ok = 0;
    try {
        CheckPluginResult(settings->Configure(parentWindow, &ok), plugin.Name, "Configure");
        if (ok) SaveSettings(*settings.Get(), edited, plugin.Name);
    } catch (...) {
        settings->EndConfigure();
        throw;
    }
    CheckPluginResult(settings->EndConfigure(), plugin.Name, "EndConfigure");
    ReplaceArchiveEntry(archive, name, ok ? edited : stored);
    archive.Compact();
}

void ShowPluginData(const TPlugin& plugin, const std::string& dataPluginsFile) {
    if (!plugin.Plugin) throw EPluginError("Plugin " + plugin.Name + " is not initialised");
    TComRef<IDownloadPluginInterface> download;
    CheckPluginResult(plugin.Plugin->QueryInterface(IID_IDownloadPluginInterface,
                                                    reinterpret_cast<void**>(download.Out())),
                      plugin.Name, "QueryInterface");
    if (!download) throw EPluginError("Plugin " + plugin.Name + " is no download plugin");
    if (!FileExists(dataPluginsFile)) return;
    TPakArchive archive(dataPluginsFile);
    int index = archive.Find(TPluginSystem::NameOf(plugin));
    if (index < 0) return;
    PassArchiveEntry(archive, index, plugin.Name, "LoadData",
                     [&](IStream* stream) { return download->LoadData(stream); });
    CheckPluginResult(download->ShowData(), plugin.Name, "ShowData");
}

} // namespace vorlin
