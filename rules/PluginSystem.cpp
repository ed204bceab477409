#include "rules/PluginSystem.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/StringUtils.h"
#include "rules/ApplicationInterface.h"
#include "rules/PluginStrings.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace vorlin {

using namespace vorlin_sdk;

namespace {

// Plugin folders nested deeper than this are not searched (a guard against
// runaway trees; real installations have one or two levels).
constexpr int cMaxFolderDepth = 16;

constexpr uint16_t cCapabilityOrder[] = {PLUGIN_CAP_PARSER, PLUGIN_CAP_FILTER, PLUGIN_CAP_DOWNLOAD,
                                         PLUGIN_CAP_HTMLPARSER};

std::string CanonicalFolder(const std::string& dir) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::canonical(dir, ec);
    return ec ? dir : p.string();
}

// Every file below dir, a subfolder's files standing where the subfolder is
// listed, in the order the file system lists them.
void CollectFiles(const std::string& dir, std::vector<std::string>& files, std::set<std::string>& visited,
                  int depth) {
    // A folder linked into itself would otherwise be listed forever.
    if (depth > cMaxFolderDepth || !visited.insert(CanonicalFolder(dir)).second) return;
    for (const std::string& name : ListDirectory(dir)) {
        std::string full = dir + name;
        if (DirectoryExists(full))
            CollectFiles(full + "/", files, visited, depth + 1);
        else
            files.push_back(full);
    }
}

} // namespace

void ThrowPluginError(HRESULT hr, const std::string& plugin, const char* method) {
    throw EPluginError(Format("Plugin %s: %s failed with error 0x%08X", plugin, method,
                              static_cast<unsigned>(hr)));
}

TPluginSystem::TPluginSystem(std::string programDir, TPluginErrorDisplay display)
    : FProgramDir(IncludeTrailingSlash(programDir.empty() ? std::string(".") : programDir)),
      FDisplay(std::move(display)), FApplication(TApplicationInterface::Create()), FVotes(*this), FParserHooks(*this) {}

TPluginSystem::~TPluginSystem() {
    // Releasing plugin objects needs their code: deinitialise before the
    // libraries go, even when the owner forgot to.
    Deinitialize();
    for (auto& p : FPlugins) p->Library.Unload();
    FPlugins.clear();
    FPluginNames.clear();
    FApplication->Release();
}

namespace {
[[maybe_unused]] const char* StateName(TPluginSystemState state) {
    switch (state) {
    case TPluginSystemState::psCreated: return "created";
    case TPluginSystemState::psLoaded: return "loaded";
    case TPluginSystemState::psInitialized: return "initialised";
    case TPluginSystemState::psDeinitialized: return "deinitialised";
    }
    return "?";
}
} // namespace

void TPluginSystem::SetState(TPluginSystemState state) {
    if (state == FState) return;
#ifdef VORLIN_TRACE_STATES
    std::fprintf(stderr, "TPluginSystem: %s -> %s\n", StateName(FState), StateName(state));
#endif
    FState = state;
}

void TPluginSystem::Display(const std::string& message) const {
    if (FDisplay)
        FDisplay(message);
    else
        DebugLogReport("", message);
}

// --- Loading ---------------------------------------------------------------

void TPluginSystem::Load() {
    if (FState != TPluginSystemState::psCreated) return;
    SetState(TPluginSystemState::psLoaded);
    std::vector<std::string> files;
    std::string dir = IncludeTrailingSlash(FProgramDir + PluginDir);
    std::set<std::string> visited;
    if (DirectoryExists(dir)) CollectFiles(dir, files, visited, 0);
    const std::string suffix = cLibrarySuffix;
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        // The suffix is compared exactly: "x.SO" is no plugin.
        if (ExtractFileExt(*it) != suffix) continue;
        auto plugin = std::make_unique<TPlugin>();
        plugin->FileName = *it;
        plugin->Loaded = plugin->Library.Load(*it);
        std::string fileName = ExtractFileName(*it);
        plugin->Name = fileName.substr(0, fileName.size() - suffix.size());
        FPluginNames.push_back(plugin->Name);
        FPlugins.push_back(std::move(plugin));
    }
}

// --- Initialising ------------------------------------------------------------

void* TPluginSystem::ExportOf(const TPlugin& plugin, const char* name) const {
    void* address = plugin.Loaded ? plugin.Library.Symbol(name) : nullptr;
    if (!address)
        throw EPluginError(Format("Funktion %s wurde nicht vom Plugin %s exportiert oder konnte nicht geladen werden",
                                  name, plugin.FileName));
    return address;
}

void TPluginSystem::Initialize() {
    if (FState == TPluginSystemState::psInitialized || FState == TPluginSystemState::psDeinitialized) return;
    SetState(TPluginSystemState::psInitialized);
    for (auto& p : FPlugins) {
        try {
            if (!p->Loaded) DebugLog(p->FileName + ": " + p->Library.LoadError());
            InitializePlugin(*p);
        } catch (const std::exception& e) {
            Display(e.what());
        } catch (...) {
            Display("Unknown error while initialising the plugin " + p->FileName);
        }
    }
}

void TPluginSystem::InitializePlugin(TPlugin& plugin) {
    auto init = reinterpret_cast<TInitPluginFunction>(ExportOf(plugin, "InitPlugin"));
    plugin.Initialized = init(FApplication) != 0;
    auto getInterface = reinterpret_cast<TGetPluginInterFaceFunction>(ExportOf(plugin, "GetPluginInterFace"));
    IBasicPluginInterFace* object = nullptr;
    getInterface(&object);
    if (!object) throw EPluginError("Plugin " + plugin.FileName + " handed over no plugin object");
    plugin.Plugin = object;
    for (uint16_t bit : cCapabilityOrder) {
        if (!(CapabilitiesOf(plugin) & bit)) continue;
        switch (bit) {
        case PLUGIN_CAP_PARSER: AddCapability(plugin, IID_IParserPluginInterface, FParserPlugins); break;
        case PLUGIN_CAP_FILTER: AddCapability(plugin, IID_IFilterPluginInterface, FFilterPlugins); break;
        case PLUGIN_CAP_DOWNLOAD: AddCapability(plugin, IID_IDownloadPluginInterface, FDownloadPlugins); break;
        default:
            AddCapability(plugin, IID_IHTMLParserPluginInterface, FHTMLParserPlugins);
            FHTMLParserInterests.push_back(InterestOf(plugin));
            FAnyTextsInside = FAnyTextsInside || FHTMLParserInterests.back().WantsTextsInside();
            KeyTagInterest();
            break;
        }
    }
}

template <typename T>
void TPluginSystem::AddCapability(TPlugin& plugin, const GUID& iid, std::vector<TPluginCapability<T>>& list) {
    void* object = nullptr;
    CheckPluginResult(plugin.Plugin->QueryInterface(iid, &object), plugin.Name, "QueryInterface");
    if (!object)
        throw EPluginError("Plugin " + plugin.Name + " declares a capability it does not implement");
    list.reserve(list.size() + 1);
    list.push_back({static_cast<T*>(object), &plugin});
}

// What an HTML parser plugin wants handed to it; one that cannot say gets
// everything, as before the interest could be told.
THTMLParserInterest TPluginSystem::InterestOf(TPlugin& plugin) {
    void* object = nullptr;
    if (plugin.Plugin->QueryInterface(IID_IHTMLParserInterest, &object) != S_OK || !object) return {};
    auto* interest = static_cast<IHTMLParserInterest*>(object);
    TBstr names, words, texts;
    const HRESULT result = interest->GetInterest(names.Out(), words.Out(), texts.Out());
    interest->Release();
    if (result != S_OK) {
        DebugLog("Plugin " + plugin.Name + " could not tell which tags it wants; it is handed all");
        return {};
    }
    return THTMLParserInterest::FromLists(names.Utf8(), words.Utf8(), texts.Utf8());
}

// The words and names of every interest in one, made anew (a scan made
// with the old one still holds it, and what it noted is no longer taken).
void TPluginSystem::KeyTagInterest() {
    std::vector<std::string> words;
    TTagNames names;
    for (const THTMLParserInterest& interest : FHTMLParserInterests) {
        for (const TTagWord& word : interest.Words()) words.push_back(word.Lower());
        TTagNames looked = interest.NamesLookedAt();
        names.All = names.All || looked.All;
        names.Names.insert(names.Names.end(), looked.Names.begin(), looked.Names.end());
        names.Prefixes.insert(names.Prefixes.end(), looked.Prefixes.begin(), looked.Prefixes.end());
    }
    FTagInterest = std::make_shared<const TTagInterest>(words, std::move(names));
    for (THTMLParserInterest& interest : FHTMLParserInterests) interest.KeyWordsTo(FTagInterest.get());
}

// --- Deinitialising ----------------------------------------------------------

void TPluginSystem::Deinitialize() {
    if (FState != TPluginSystemState::psInitialized) return;
    for (auto& p : FPlugins) {
        try {
            DeinitializePlugin(*p);
        } catch (const std::exception& e) {
            Display(e.what());
        } catch (...) {
            Display("Unknown error while deinitialising the plugin " + p->FileName);
        }
        // Every reference the program took is given back, also when
        // InitPlugin said no or DeInitPlugin is missing.
        if (p->Plugin) p->Plugin->Release();
        p->Plugin = nullptr;
    }
    ReleaseCapabilities();
    FApplication->ClearActionProviders();
    SetState(TPluginSystemState::psDeinitialized);
}

void TPluginSystem::DeinitializePlugin(TPlugin& plugin) {
    auto deinit = reinterpret_cast<TDeInitPluginFunction>(ExportOf(plugin, "DeInitPlugin"));
    deinit();
}

void TPluginSystem::ReleaseCapabilities() {
    auto release = [](auto& list) {
        auto taken = std::move(list);
        list.clear();
        for (auto& c : taken) c.Interface->Release();
    };
    release(FParserPlugins);
    release(FFilterPlugins);
    release(FDownloadPlugins);
    release(FHTMLParserPlugins);
    FHTMLParserInterests.clear();
    FAnyTextsInside = false;
    KeyTagInterest();
}

// --- Asking one plugin -------------------------------------------------------

uint16_t TPluginSystem::CapabilitiesOf(const TPlugin& plugin) {
    if (!plugin.Plugin) throw EPluginError("Plugin " + plugin.Name + " is not initialised");
    uint16_t flags = 0;
    CheckPluginResult(plugin.Plugin->GetCapabilities(&flags), plugin.Name, "GetCapabilities");
    return flags;
}

std::string TPluginSystem::NameOf(const TPlugin& plugin) {
    if (!plugin.Plugin) throw EPluginError("Plugin " + plugin.Name + " is not initialised");
    TBstr name;
    CheckPluginResult(plugin.Plugin->GetName(name.Out()), plugin.Name, "GetName");
    return name.Utf8();
}

bool TPluginSystem::IsEnabled(IBasicPluginInterFace* plugin, const std::string& pluginName) {
    TComRef<IPluginSettingsInterface> settings;
    CheckPluginResult(plugin->GetSettings(settings.Out()), pluginName, "GetSettings");
    if (!settings) return false;  // no settings handed over: not part of this download
    VBOOL active = 0;
    CheckPluginResult(settings->GetActive(&active), pluginName, "GetActive");
    return active != 0;
}

} // namespace vorlin
