// What plugins cost the download: one vote on a link through N filter
// plugins (fresh project and link objects, the enabled check, the call),
// the style-sheet plugin's scan of a large sheet, and rewriting a plugin
// archive (replace an entry, compact).
#include "CssScanner.h"
#include "platform/FileSystem.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "rules/PakArchive.h"
#include "rules/PluginSystem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace vorlin;

namespace {

std::string NewTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlin-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/";
}

void VotesThroughFilterPlugins(benchmark::State& state) {
    std::string home = NewTempDir();
    ForceDirectories(home + "Plugins");
    for (int i = 0; i < state.range(0); ++i)
        CopyFile(VORLIN_TESTKIT_DIR "/testkit.so", home + "Plugins/f" + std::to_string(i) + ".so", false);
    {
        TPluginSystem plugins(home);
        plugins.Load();
        for (auto& p : plugins.Plugins())
            p->Library.Function<void (*)(const char*)>("TestkitConfigure")(("name=" + p->Name + "\ncaps=2\nquiet=1").c_str());
        plugins.Initialize();
        plugins.HandOverSettings(home + "none.prj.plugins");
        TDownloadProject project;
        TDownloadLink link(&project);
        for (auto _ : state) benchmark::DoNotOptimize(plugins.Votes().FilterBeforeRequest(project, link));
        state.SetItemsProcessed(state.iterations());
    }
    std::filesystem::remove_all(home);
}
BENCHMARK(VotesThroughFilterPlugins)->Arg(0)->Arg(1)->Arg(4);

void ScanLargeStyleSheet(benchmark::State& state) {
    std::string sheet;
    for (int i = 0; sheet.size() < (1u << 20); ++i)
        sheet += ".c" + std::to_string(i) + " { background: url(img/" + std::to_string(i) +
                 ".png) no-repeat; color: #123456; /* note */ }\n";
    size_t found = 0;
    for (auto _ : state) found = css_plugin::ScanCss(sheet).size();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sheet.size()));
    state.counters["references"] = static_cast<double>(found);
}
BENCHMARK(ScanLargeStyleSheet);

void ReplaceAndCompactArchiveEntry(benchmark::State& state) {
    std::string dir = NewTempDir();
    std::string file = dir + "p.dat.plugins";
    TMemoryStream data;
    std::string block(1024, 'd');
    data.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
    {
        TPakArchive archive(file);
        for (int i = 0; i < state.range(0); ++i) archive.Add(data, "plugin" + std::to_string(i));
    }
    for (auto _ : state) {
        TPakArchive archive(file);
        archive.Delete(archive.Find("plugin0"));
        archive.Add(data, "plugin0");
        archive.Compact();
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(ReplaceAndCompactArchiveEntry)->Arg(8)->Arg(64);

} // namespace

BENCHMARK_MAIN();
