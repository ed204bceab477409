// The plugin libraries of the program: found in "Plugins/" beside the
// program, loaded once, initialised with the application object, sorted by
// capability into four lists that every call site walks in load order, and
// released when the program closes. Also the calls the main window and the
// download run make into all plugins at once (settings before a run, data
// kept per project, the parser-plugin claim).
//
// Life: created → Load (libraries present, nothing called) → Initialize
// (exports called, lists filled) → Deinitialize (lists empty) → destroyed
// (libraries freed). Plugins are called on the caller's thread; the lists
// are filled before any download starts and are not locked.
#pragma once

#include "platform/DynamicLibrary.h"
#include "rules/HTMLParserInterest.h"
#include "rules/PluginCall.h"
#include "rules/PluginParserHooks.h"
#include "rules/PluginVotes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {

class TApplicationInterface;
class TDownloadLink;
class TDownloadProject;

// One plugin library.
class TPlugin {
public:
    TDynamicLibrary Library;
    bool Loaded = false;      // the library could be loaded
    std::string FileName;     // full host path of the library
    std::string Name;         // file name without path and suffix (the options list)
    bool Initialized = false; // what InitPlugin answered
    // The plugin object, one reference held; null until initialised.
    vorlin_sdk::IBasicPluginInterFace* Plugin = nullptr;
};

using TPlugins = std::vector<std::unique_ptr<TPlugin>>;

// A plugin object cast to one capability interface (one reference held),
// with the library it came from for error messages.
template <typename T> struct TPluginCapability {
    T* Interface;
    const TPlugin* Owner;
};

// Where the plugin system stands; it moves forward only (no reloading).
enum class TPluginSystemState { psCreated, psLoaded, psInitialized, psDeinitialized };

// Reports an error of one plugin during initialisation or deinitialisation:
// the application's standard error display.
using TPluginErrorDisplay = std::function<void(const std::string& message)>;

class TPluginSystem {
public:
    // The plugin folder below the program directory; the suffix of a plugin library.
    static constexpr const char* cDefaultPluginDir = "Plugins/";
    static constexpr const char* cLibrarySuffix = ".so";

    // programDir: where "Plugins/" lives (with or without a trailing "/").
    // Errors during initialisation and deinitialisation go to display
    // (the debug log when empty).
    explicit TPluginSystem(std::string programDir, TPluginErrorDisplay display = {});
    ~TPluginSystem();
    TPluginSystem(const TPluginSystem&) = delete;
    TPluginSystem& operator=(const TPluginSystem&) = delete;

    std::string PluginDir = cDefaultPluginDir;

    // Lists the plugin folder recursively and loads every "*.so", keeping
    // them in the reverse order of the listing. Once per program run: a
    // second call does nothing.
    void Load();
    // Calls InitPlugin and GetPluginInterFace and fills the capability lists;
    // one plugin's failure is displayed and the next one goes on. Once.
    void Initialize();
    // Calls DeInitPlugin, releases the plugin objects and empties the lists
    // (only after Initialize, and once).
    void Deinitialize();
    TPluginSystemState State() const { return FState; }

    const TPlugins& Plugins() const { return FPlugins; }
    // The plugin names in plugin order, as the options dialog lists them.
    const std::vector<std::string>& PluginNames() const { return FPluginNames; }
    int Count() const { return static_cast<int>(FPlugins.size()); }

    const std::vector<TPluginCapability<vorlin_sdk::IParserPluginInterface>>& ParserPlugins() const {
        return FParserPlugins;
    }
    const std::vector<TPluginCapability<vorlin_sdk::IFilterPluginInterface>>& FilterPlugins() const {
        return FFilterPlugins;
    }
    const std::vector<TPluginCapability<vorlin_sdk::IDownloadPluginInterface>>& DownloadPlugins() const {
        return FDownloadPlugins;
    }
    const std::vector<TPluginCapability<vorlin_sdk::IHTMLParserPluginInterface>>& HTMLParserPlugins() const {
        return FHTMLParserPlugins;
    }
    // What each of HTMLParserPlugins() wants to be handed, in the same order.
    const std::vector<THTMLParserInterest>& HTMLParserInterests() const { return FHTMLParserInterests; }
    // Some of them want texts inside certain elements only.
    bool AnyTextsInside() const { return FAnyTextsInside; }
    // The words and names they look for in tags, which HTMLParserInterests()
    // are keyed to; a page scan notes them for the parser's hooks.
    std::shared_ptr<const TTagInterest> TagInterest() const { return FTagInterest; }

    TApplicationInterface& Application() { return *FApplication; }
    // The votes of these plugins, for TDownloadProject::Plugins.
    ILinkPluginVotes& Votes() { return FVotes; }
    // The HTML parser's hooks into these plugins, for THTMLParser.
    IHTMLParserHooks& ParserHooks() { return FParserHooks; }

    // --- Asking one plugin ---------------------------------------------------
    // GetCapabilities, GetName (an initialised plugin); failures raise EPluginError.
    static uint16_t CapabilitiesOf(const TPlugin& plugin);
    static std::string NameOf(const TPlugin& plugin);
    // GetSettings yields settings that answer GetActive with true.
    static bool IsEnabled(vorlin_sdk::IBasicPluginInterFace* plugin, const std::string& pluginName);
    template <typename T> static bool IsEnabled(const TPluginCapability<T>& plugin) {
        return IsEnabled(plugin.Interface, plugin.Owner->Name);
    }

    // --- Around a download ---------------------------------------------------
    // Before a download starts: every plugin gets a new settings object
    // filled from its entry in the project's ".prj.plugins" archive.
    void HandOverSettings(const std::string& projectPluginsFile);
    // After it ended: every plugin is handed no settings.
    void ClearSettings();
    // At the start of a run: DownloadStarted for every enabled download
    // plugin, then LoadData from the project's ".dat.plugins" for those that
    // have an entry there.
    void StartDownload(TDownloadProject& project, const std::string& dataPluginsFile);
    // At the end: SaveData of every enabled download plugin replaces its
    // entry, the archive is compacted, then DownloadFinished.
    void FinishDownload(TDownloadProject& project, const std::string& dataPluginsFile);
    // After a response header: the first enabled parser plugin that claims
    // the link, or null (no reference added; valid while the plugins are).
    vorlin_sdk::IParserPluginInterface* ClaimingParser(TDownloadProject& project, TDownloadLink& link);

private:
    void InitializePlugin(TPlugin& plugin);
    void DeinitializePlugin(TPlugin& plugin);
    template <typename T> void AddCapability(TPlugin& plugin, const vorlin_sdk::GUID& iid,
                                             std::vector<TPluginCapability<T>>& list);
    THTMLParserInterest InterestOf(TPlugin& plugin);
    void KeyTagInterest();
    void ReleaseCapabilities();
    void* ExportOf(const TPlugin& plugin, const char* name) const;
    void Display(const std::string& message) const;
    void SetState(TPluginSystemState state);

    std::string FProgramDir;
    TPluginErrorDisplay FDisplay;
    TPlugins FPlugins;
    std::vector<std::string> FPluginNames;
    std::vector<TPluginCapability<vorlin_sdk::IParserPluginInterface>> FParserPlugins;
    std::vector<TPluginCapability<vorlin_sdk::IFilterPluginInterface>> FFilterPlugins;
    std::vector<TPluginCapability<vorlin_sdk::IDownloadPluginInterface>> FDownloadPlugins;
    std::vector<TPluginCapability<vorlin_sdk::IHTMLParserPluginInterface>> FHTMLParserPlugins;
    std::vector<THTMLParserInterest> FHTMLParserInterests;
    bool FAnyTextsInside = false;
    std::shared_ptr<const TTagInterest> FTagInterest = std::make_shared<const TTagInterest>(std::vector<std::string>{});
    TApplicationInterface* FApplication;  // one reference held
    TPluginVotes FVotes;
    TPluginParserHooks FParserHooks;
    TPluginSystemState FState = TPluginSystemState::psCreated;
};

} // namespace vorlin
