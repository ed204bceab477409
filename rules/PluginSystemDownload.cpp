// The calls into all plugins around one download: settings handed over
// before it, the download plugins' data loaded at its start and saved at its
// end, and the parser-plugin claim after a response header.
#include "rules/PluginSystem.h"

#include "platform/FileSystem.h"
#include "rules/DownloadLinkAdapter.h"
#include "rules/DownloadProjectAdapter.h"
#include "rules/PluginSettingsStore.h"

#include <memory>
#include <optional>

namespace vorlin {

using namespace vorlin_sdk;

namespace {

// Reading needs no archive file: a project without one has no entries (and
// its folder may not exist yet at the start of a first run).
std::unique_ptr<TPakArchive> OpenExisting(const std::string& fileName) {
    if (!FileExists(fileName)) return nullptr;
    return std::make_unique<TPakArchive>(fileName);
}

} // namespace

void TPluginSystem::HandOverSettings(const std::string& projectPluginsFile) {
    std::unique_ptr<TPakArchive> archive = OpenExisting(projectPluginsFile);
    for (auto& p : FPlugins) {
        if (!p->Plugin) continue;  // its initialisation failed
        TComRef<IPluginSettingsInterface> settings = LoadedPluginSettings(*p, archive.get());
        CheckPluginResult(p->Plugin->SetSettings(settings.Get()), p->Name, "SetSettings");
    }
}

void TPluginSystem::ClearSettings() {
    // Every plugin lets go of the run's settings even when one of them fails;
    // the first failure is raised afterwards.
    std::optional<EPluginError> firstError;
    for (auto& p : FPlugins) {
        if (!p->Plugin) continue;
        try {
            CheckPluginResult(p->Plugin->SetSettings(nullptr), p->Name, "SetSettings");
        } catch (const EPluginError& e) {
            if (!firstError) firstError = e;
        }
    }
    if (firstError) throw *firstError;
}

void TPluginSystem::StartDownload(TDownloadProject& project, const std::string& dataPluginsFile) {
    for (auto& d : FDownloadPlugins) {
        if (!IsEnabled(d)) continue;
        TComRef<IDownLoadProject> projectObject(CreateDownloadProjectAdapter(project));
        CheckPluginResult(d.Interface->DownloadStarted(projectObject.Get()), d.Owner->Name, "DownloadStarted");
    }
    std::unique_ptr<TPakArchive> archive = OpenExisting(dataPluginsFile);
    if (!archive) return;
    for (auto& d : FDownloadPlugins) {
        if (!IsEnabled(d)) continue;
        int index = archive->Find(NameOf(*d.Owner));
        if (index < 0) continue;
        PassArchiveEntry(*archive, index, d.Owner->Name, "LoadData",
                         [&](IStream* stream) { return d.Interface->LoadData(stream); });
    }
}

void TPluginSystem::FinishDownload(TDownloadProject& project, const std::string& dataPluginsFile) {
    if (FDownloadPlugins.empty()) return;  // nothing to keep: no archive is made
    ForceDirectories(ExtractFilePath(dataPluginsFile));
    {
        TPakArchive archive(dataPluginsFile);
        for (auto& d : FDownloadPlugins) {
            if (!IsEnabled(d)) continue;
            TMemoryStream data;
            CollectPluginOutput(data, d.Owner->Name, "SaveData",
                                [&](IStream* stream) { return d.Interface->SaveData(stream); });
            ReplaceArchiveEntry(archive, NameOf(*d.Owner), data);
        }
        archive.Compact();
    }
    for (auto& d : FDownloadPlugins) {
        if (!IsEnabled(d)) continue;
        TComRef<IDownLoadProject> projectObject(CreateDownloadProjectAdapter(project));
        CheckPluginResult(d.Interface->DownloadFinished(projectObject.Get()), d.Owner->Name, "DownloadFinished");
    }
}

IParserPluginInterface* TPluginSystem::ClaimingParser(TDownloadProject& project, TDownloadLink& link) {
    for (auto& p : FParserPlugins) {
        if (!IsEnabled(p)) continue;
        TComRef<IDownLoadProject> projectObject(CreateDownloadProjectAdapter(project));
        TComRef<IDownLoadLink> linkObject(CreateDownloadLinkAdapter(link));
        VBOOL claims = 0;
        CheckPluginResult(p.Interface->CanParse(projectObject.Get(), linkObject.Get(), &claims), p.Owner->Name,
                          "CanParse");
        if (claims) return p.Interface;
    }
    return nullptr;
}

} // namespace vorlin
