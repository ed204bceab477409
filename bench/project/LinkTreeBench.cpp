// A synthetic crawl of N links: pages appended at the end of the link list,
// each page's other links inserted right after it, AlreadyFound asked for
// every link found (known ones included), the engine's "first unclaimed link
// in list order" (an ordered set compared by IndexOf), index queries, and
// the link data file written and read back.
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "bench/project/BenchMemory.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace vorlin;
using vorlin::bench::CurrentRssBytes;
using vorlin::bench::PeakRssBytes;

namespace {

const std::string kServer = "http://www.example.com/";



TDownloadLink* NewLink(TDownloadProject& project, const std::string& path, TLinkType type,
                       int level) {
    auto* link = new TDownloadLink(&project);
    link->SetServer(kServer);
    link->Path = path;
    link->LocalFileName = path;
    for (char& c : link->LocalFileName)
        if (c == '/') c = '\\';
    link->LinkType = type;
    link->Level = level;
    link->TagName = type == ltPage ? "A" : "IMG";
    return link;
}

// Crawls until the list holds `count` links: the page being parsed is any
// page found so far; it yields two pages and six images, and mentions three
// links already known.
void Crawl(TDownloadProject& project, int count, std::mt19937& random) {
    TDownloadLinks& links = *project.Links;
    links.Add(NewLink(project, "index.html", ltPage, 0));
    std::vector<TDownloadLink*> pages{links.First()};
    std::vector<TDownloadLink*> all{links.First()};
    int next = 0;
    TDownloadLink* found = nullptr;
    while (links.Count() < count) {
        TDownloadLink* page = pages[random() % pages.size()];
        for (int k = 0; k < 8 && links.Count() < count; ++k) {
            bool isPage = k < 2;
            int n = next++;
            std::string path = isPage ? "section" + std::to_string(n % 97) + "/article" +
                                            std::to_string(n) + ".html"
                                      : "images/" + std::to_string(n % 211) + "/photo" +
                                            std::to_string(n) + ".jpg";
            if (links.AlreadyFound(kServer + path, found)) continue;
            TDownloadLink* link = NewLink(project, path, isPage ? ltPage : ltSource, page->Level + 1);
            if (links.LocalNameTaken(link->Server(), link->LocalFileName)) link->LocalFileName += "000";
            if (isPage) {
                links.Add(link);
                pages.push_back(link);
            } else {
                links.InsertAfter(page, link);
            }
            page->References.push_back(link);
            link->Referrers.push_back(page);
            all.push_back(link);
        }
        for (int k = 0; k < 3; ++k) {
            TDownloadLink* known = all[random() % all.size()];
            benchmark::DoNotOptimize(links.AlreadyFound(known->FullURL(), found));
        }
    }
}

void ReportMemory(benchmark::State& state, int64_t rssBefore, int count) {
    state.counters["links"] = count;
    state.counters["bytes_per_link"] =
        static_cast<double>(CurrentRssBytes() - rssBefore) / count;
    state.counters["peak_rss_per_link"] = static_cast<double>(PeakRssBytes()) / count;
    state.counters["file_bytes_per_link"] = 0;
}

void BM_Crawl(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        int64_t before = CurrentRssBytes();
        TDownloadProject project;
        std::mt19937 random(1);
        Crawl(project, count, random);
        ReportMemory(state, before, count);
        state.PauseTiming();
        project.Links->Clear();
        state.ResumeTiming();
    }
}

void BM_IndexQueries(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TDownloadProject project;
    std::mt19937 random(2);
    Crawl(project, count, random);
    for (auto _ : state) {
        int64_t sum = 0;
        for (int i = 0; i < count; ++i) {
            TDownloadLink* link = project.Links->Items(static_cast<int>(random() % count));
            sum += project.Links->IndexOf(link);
        }
        benchmark::DoNotOptimize(sum);
    }
    ReportMemory(state, 0, count);
}

// What the scheduler does: every link enters an ordered set of unclaimed
// links keyed by list position, and the first is taken until none is left.
void BM_ClaimInListOrder(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TDownloadProject project;
    std::mt19937 random(3);
    Crawl(project, count, random);
    const TDownloadLinks& links = *project.Links;
    auto byPosition = [&links](const TDownloadLink* a, const TDownloadLink* b) {
        return links.IndexOf(a) < links.IndexOf(b);
    };
    for (auto _ : state) {
        std::set<TDownloadLink*, decltype(byPosition)> unclaimed(byPosition);
        for (TDownloadLink* link : links) unclaimed.insert(link);
        while (!unclaimed.empty()) unclaimed.erase(unclaimed.begin());
    }
    ReportMemory(state, 0, count);
}

std::string TempDataFile() {
    char pattern[] = "/tmp/vorlin-bench-XXXXXX";
    return std::string(::mkdtemp(pattern)) + "/links.dat";
}

void RemoveDataFile(const std::string& path) {
    DeleteFile(path);
    RemoveDir(ExtractFilePath(path));
}

void BM_SaveLinkData(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TDownloadProject project;
    std::mt19937 random(4);
    Crawl(project, count, random);
    std::string path = TempDataFile();
    for (auto _ : state) project.Links->SaveToFile(path);
    ReportMemory(state, 0, count);
    state.counters["file_bytes_per_link"] = static_cast<double>(FileSizeOf(path)) / count;
    RemoveDataFile(path);
}

// As a run starts: the list of the last run is read into an empty list.
void BM_LoadLinkData(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TDownloadProject project;
    std::string path = TempDataFile();
    {
        std::mt19937 random(5);
        Crawl(project, count, random);
        project.Links->SaveToFile(path);
        project.Links->Clear();
    }
    for (auto _ : state) {
        project.Links->LoadFromFile(path);
        if (project.Links->Count() != count) state.SkipWithError("the loaded list differs");
        state.PauseTiming();
        ReportMemory(state, 0, count);
        project.Links->Clear();
        state.ResumeTiming();
    }
    state.counters["file_bytes_per_link"] = static_cast<double>(FileSizeOf(path)) / count;
    RemoveDataFile(path);
}

} // namespace

BENCHMARK(BM_Crawl)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexQueries)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClaimInListOrder)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveLinkData)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLinkData)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
