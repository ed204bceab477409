// How fast the HTML link parser reads a page as it downloads: generated
// pages fed in 8 KB blocks, as the run hands them over. Sizes side by side
// show whether the time per byte stays flat (no rescans, no quadratic
// bookkeeping); the hostile pages show the same for many links and for a
// tag that never ends.
#include "links/HTMLParser.h"
#include "links/UrlHelpers.h"
#include "platform/FileSystem.h"
#include "platform/StringUtils.h"
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "rules/PluginSystem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <sys/resource.h>

using namespace vorlin;

namespace {

constexpr size_t kBlock = 8192;

// About 4 KB of an ordinary page: text, markup, a script, a comment and 24
// references; the references cycle through 2,000 URLs per directory, so a
// large page finds mostly known links, as a site's navigation does.
std::string PageChunk(size_t n) {
    std::string id = std::to_string(n % 2000);
    std::string dir = "d" + std::to_string(n % 7) + "/";
    std::string s;
    s += "<div class=\"article\" id=\"a" + std::to_string(n) + "\">\n<h2>Heading number " + id +
         "</h2>\n";
    for (int p = 0; p < 4; ++p) {
        s += "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
             "incididunt ut labore et dolore magna aliqua. <a href=\"" +
             dir + "page" + id + "-" + std::to_string(p) +
             ".html\">Read more</a> about it &amp; <b>stay</b>, "
             "<em>ut enim ad minim veniam</em>, quis nostrud exercitation ullamco laboris.</p>\n";
        s += "<img src='/images/" + dir + "pic" + id + "-" + std::to_string(p) +
             ".jpg' alt=\"Picture\" width=200 height=100>\n";
    }
    s += "<table background=\"bg/tile.gif\"><tr><td><a href=http://other.example/x" + id +
         ".html>elsewhere</a></td><td>cell</td></tr></table>\n";
    s += "<!-- navigation: <a href=hidden.html> -->\n<ul>";
    for (int i = 0; i < 12; ++i)
        s += "<li><a href=\"/nav/section" + std::to_string(i) + ".html\">Section " +
             std::to_string(i) + "</a></li>";
    s += "</ul>\n<script><!--\nvar img = new Image(); img.src = 'roll/" + id +
         ".gif';\nif (document.images) { pre.src=\"roll/pre.gif\"; }\n//--></script>\n"
         "<form action=\"search.cgi\"><input name=q size=20><input type=submit></form>\n</div>\n";
    return s;
}

const std::string& GeneratedPage(size_t megabytes) {
    static std::map<size_t, std::string> pages;
    std::string& page = pages[megabytes];
    if (page.empty()) {
        page = "<html><head><title>Generated</title></head><body>\n";
        for (size_t n = 0; page.size() < (megabytes << 20); ++n)
            page += PageChunk(n);
        page += "</body></html>\n";
    }
    return page;
}

// A new directory below $TMPDIR: a memory file system keeps the disk's cost
// out of the figures.
std::string ScratchDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorlin-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
}

class TScratchProject {
  public:
    explicit TScratchProject(TProjectMode mode) {
        FDir = ScratchDirectory();
        Project.TargetDir = FDir + "/";
        Project.StartServer = "http://bench.example/";
        Project.ProjectMode = mode;
        Page = new TDownloadLink(&Project);
        Page->SetServer("http://bench.example/");
        Page->Path = "site/index.html";
        Page->LocalFileName = "site\\index.html";
        Page->ScopeDir = "site/";
        Project.Links->Add(Page);
    }
    ~TScratchProject() {
        Project.Links->Clear();
        std::filesystem::remove_all(FDir);
    }
    // Feeds html in blocks, as the run does, and ends the document.
    void Feed(THTMLParser& parser, const std::string& html) {
        TMemoryStream stream;
        parser.BeginDocument(*Page, stream);
        for (size_t at = 0; at < html.size(); at += kBlock) {
            size_t n = std::min(kBlock, html.size() - at);
            stream.Write(html.data() + at, static_cast<int64_t>(n));
            parser.ParseAvailable();
        }
        parser.EndDocument();
    }

    TDownloadProject Project;
    TDownloadLink* Page;

  private:
    std::string FDir;
};

void ReportPeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Times only the feeding: each iteration gets a fresh project, so that
// every run meets the same links as new. Answers the links of the last run.
size_t TimeFeeding(benchmark::State& state, TProjectMode mode, const std::string& html) {
    size_t links = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto scratch = std::make_unique<TScratchProject>(mode);
        THTMLParser parser(scratch->Project);
        state.ResumeTiming();
        scratch->Feed(parser, html);
        state.PauseTiming();
        links = scratch->Page->References.size();
        scratch.reset();
        state.ResumeTiming();
    }
    return links;
}

void ParsePage(benchmark::State& state, TProjectMode mode) {
    const std::string& html = GeneratedPage(static_cast<size_t>(state.range(0)));
    size_t links = TimeFeeding(state, mode, html);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
    state.counters["links"] = static_cast<double>(links);
    state.counters["ns_per_byte"] = benchmark::Counter(
        static_cast<double>(html.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    ReportPeakMemory(state);
}

void BM_ParseOffline(benchmark::State& state) {
    ParsePage(state, pmOfflineBrowse);
}
void BM_ParseMirror(benchmark::State& state) {
    ParsePage(state, pmMirror);
}

// A page of only new links: the link list grows by one for each.
void BM_ManyNewLinks(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::string html;
    for (int i = 0; i < count; ++i)
        html +=
            (i % 2 ? "<a href=p" : "<img src=i") + std::to_string(i) + (i % 2 ? ".html>" : ".gif>");
    TimeFeeding(state, pmOfflineBrowse, html);
    state.counters["ns_per_link"] = benchmark::Counter(
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    ReportPeakMemory(state);
}

// The style-sheet plugin loaded from a scratch program folder, its hooks
// handed every tag and text as in a run.
class TCssPluginHooks {
  public:
    TCssPluginHooks() : FHome(ScratchDirectory() + "/"), FPlugins((ForceDirectories(FHome + "Plugins"), FHome)) {
        CopyFile(VORLIN_CSS_PLUGIN, FHome + "Plugins/css.so", false);
        FPlugins.Load();
        FPlugins.Initialize();
        FPlugins.HandOverSettings(FHome + "bench.prj.plugins");
    }
    ~TCssPluginHooks() { std::filesystem::remove_all(FHome); }
    IHTMLParserHooks& Hooks() { return FPlugins.ParserHooks(); }

  private:
    std::string FHome;
    TPluginSystem FPlugins;
};

// The pages of a real site read from disk, all into one project as a run
// meets them (their links known from the pages before): Debian's C++
// reference when installed, else skipped. Shows the cost per tag of pages
// dense with markup, which the generated pages are not; with argument 1
// the style-sheet plugin sees every tag, as in a run with the default plugins.
void BM_ParseRealSite(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path root = "/usr/share/cppreference/doc/html";
    static std::vector<std::pair<std::string, std::string>> pages;  // path below root, html
    if (pages.empty() && fs::is_directory(root / "en")) {
        for (const auto& entry : fs::recursive_directory_iterator(root / "en")) {
            if (!entry.is_regular_file() || entry.path().extension() != ".html") continue;
            TMemoryStream file;
            file.LoadFromFile(entry.path().string());
            pages.emplace_back(fs::relative(entry.path(), root).string(),
                               std::string(file.Memory(), static_cast<size_t>(file.Size())));
        }
    }
    if (pages.empty()) {
        state.SkipWithError("no /usr/share/cppreference/doc/html/en");
        return;
    }
    size_t bytes = 0;
    for (const auto& page : pages) bytes += page.second.size();
    for (auto _ : state) {
        state.PauseTiming();
        auto scratch = std::make_unique<TScratchProject>(pmOfflineBrowse);
        std::unique_ptr<TCssPluginHooks> css;
        if (state.range(0) == 1) css = std::make_unique<TCssPluginHooks>();
        THTMLParser parser(scratch->Project, css ? css->Hooks() : NoHTMLParserHooks());
        state.ResumeTiming();
        for (const auto& [path, html] : pages) {
            TDownloadLink* link = nullptr;
            if (!scratch->Project.Links->AlreadyFound("http://bench.example/" + path, link)) {
                link = new TDownloadLink(&scratch->Project);
                link->SetServer("http://bench.example/");
                link->Path = path;
                link->LocalFileName = ReplaceAll(path, "/", "\\");
                scratch->Project.Links->Add(link);
            }
            scratch->Page = link;
            scratch->Feed(parser, html);
        }
        state.PauseTiming();
        scratch.reset();
        css.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["pages"] = static_cast<double>(pages.size());
    state.counters["ns_per_byte"] = benchmark::Counter(
        static_cast<double>(bytes), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A tag whose ">" never comes, arriving block by block.
void BM_UnendedTag(benchmark::State& state) {
    std::string html =
        "<a href=x.html title=\"" + std::string(static_cast<size_t>(state.range(0)) << 20, 'x');
    TimeFeeding(state, pmMirror, html);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
    ReportPeakMemory(state);
}

} // namespace

BENCHMARK(BM_ParseOffline)->Arg(5)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ParseMirror)->Arg(5)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ManyNewLinks)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ParseRealSite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UnendedTag)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
