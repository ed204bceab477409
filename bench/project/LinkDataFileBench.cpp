// The link data file at the sizes a real run reaches: a link list shaped
// like the mirror benchmark's site (bench/mirror/SiteGenerator.cpp: N pages,
// each referring to 10 pages and 5 of N/10 shared images, every link
// downloaded), built for N = 2,000, 20,000 and 100,000 pages (about 2.2k,
// 22k and 110k links). Per size it prints:
//   - save: SaveToFile, wall and CPU time, and the file's size;
//   - load: LoadFromFile into an empty list, the best run and the first
//     (into memory new to the process, as when the program opens a project);
//   - autosave stall: the time an autosave holds up the run's thread (the
//     snapshot) and the time until the file is complete on disk;
//   - memory: resident bytes per link held by the list.
// and the ratio 110k/22k (5 is linear). Wall time is the best of REPEATS runs
// (default 3): the machine is shared.
//
// Usage: link_data_file_bench [--repeat K] [--sizes N,N,...] [--keep DIR]
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "bench/project/BenchMemory.h"
#include "project/LinkDataWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace vorlin;
using vorlin::bench::CurrentRssBytes;
using vorlin::bench::PeakRssBytes;

namespace {

const std::string kServer = "http://127.0.0.1:41723/";


double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string Numbered(const char* prefix, int number, int digits, const char* suffix) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%0*d%s", prefix, digits, number, suffix);
    return buffer;
}

TDownloadLink* NewLink(TDownloadProject& project, const std::string& path, TLinkType type,
                       int level, const char* mime, int size) {
    auto* link = new TDownloadLink(&project);
    link->SetServer(kServer);
    link->Path = path;
    link->LocalFileName = path;
    for (char& c : link->LocalFileName)
        if (c == '/') c = '\\';
    link->LinkType = type;
    link->Level = level;
    link->TagName = type == ltPage ? "A" : "IMG";
    link->MimeType = mime;
    link->Size = size;
    link->LastModified = 46000.5 + level;
    link->State = lsDownloaded;
    return link;
}

// The list a run over the generated site leaves: index.html, then the pages
// in the order they are found, each page's images right after it.
void BuildSiteList(TDownloadProject& project, int pages) {
    TDownloadLinks& links = *project.Links;
    const int images = std::max(20, pages / 10);
    std::mt19937 random(20261208);
    std::vector<TDownloadLink*> pageLinks(static_cast<size_t>(pages), nullptr);
    std::vector<TDownloadLink*> imageLinks(static_cast<size_t>(images), nullptr);
    TDownloadLink* index = NewLink(project, "index.html", ltPage, 0, "text/html", 3000);
    links.Add(index);
    std::vector<TDownloadLink*> queue{index};
    auto refer = [](TDownloadLink* from, TDownloadLink* to) {
        from->References.push_back(to);
        to->Referrers.push_back(from);
    };
    for (int i = 0; i < 4; ++i) {
        TDownloadLink* file = NewLink(project, Numbered("files/large", i, 2, ".bin"), ltPage, 1,
                                      "application/octet-stream", 1 << 20);
        links.Add(file);
        refer(index, file);
    }
    for (int p = 0; p < std::min(pages, 50); ++p) {
        pageLinks[static_cast<size_t>(p)] = NewLink(
            project, "pages/" + Numbered("d", p / 500, 3, "") + Numbered("/p", p, 5, ".html"),
            ltPage, 1, "text/html", 4000);
        links.Add(pageLinks[static_cast<size_t>(p)]);
        refer(index, pageLinks[static_cast<size_t>(p)]);
        queue.push_back(pageLinks[static_cast<size_t>(p)]);
    }
    for (size_t next = 1; next < queue.size(); ++next) {
        TDownloadLink* page = queue[next];
        if (page->MimeType != "text/html") continue;
        int number = std::atoi(page->Path.c_str() + page->Path.size() - 10);
        for (int k = 0; k < 10; ++k) {
            int target = k == 0 ? (number + 1) % pages : static_cast<int>(random() % pages);
            TDownloadLink*& link = pageLinks[static_cast<size_t>(target)];
            if (!link) {
                link = NewLink(project,
                               "pages/" + Numbered("d", target / 500, 3, "") +
                                   Numbered("/p", target, 5, ".html"),
                               ltPage, page->Level + 1, "text/html", 4000);
                links.Add(link);
                queue.push_back(link);
            }
            refer(page, link);
        }
        for (int k = 0; k < 5; ++k) {
            int image = k == 0 ? number % images : static_cast<int>(random() % images);
            TDownloadLink*& link = imageLinks[static_cast<size_t>(image)];
            if (!link) {
                link = NewLink(project, Numbered("images/i", image, 5, ".png"), ltSource,
                               page->Level + 1, "image/png", 2048 + static_cast<int>(random() % 49153));
                links.InsertAfter(page, link);
            }
            refer(page, link);
        }
        page->References.shrink_to_fit();  // as the parser leaves a page
    }
}

struct TFigures {
    int Links = 0;
    double SaveWall = 1e9, SaveCpu = 1e9, LoadWall = 1e9, LoadCpu = 1e9;
    // The first load, into memory the process never had: what opening a
    // project costs once the program starts; the best of the later loads
    // reuses memory the earlier ones freed.
    double FirstLoadWall = 0;
    double StallWall = 1e9, StallCpu = 1e9, AutosaveWall = 1e9;
    int64_t FileBytes = 0;
    double BytesPerLink = 0;
};

template <typename F> void Best(double& wall, double& cpu, F&& work) {
    double w0 = Seconds(CLOCK_MONOTONIC), c0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    work();
    wall = std::min(wall, Seconds(CLOCK_MONOTONIC) - w0);
    cpu = std::min(cpu, Seconds(CLOCK_PROCESS_CPUTIME_ID) - c0);
}

TFigures Measure(int pages, int repeat, const std::string& dir) {
    TFigures f;
    const std::string path = dir + "/links-" + std::to_string(pages) + ".dat";
    int64_t before = CurrentRssBytes();
    TDownloadProject project;
    BuildSiteList(project, pages);
    f.Links = project.Links->Count();
    f.BytesPerLink = static_cast<double>(CurrentRssBytes() - before) / f.Links;
    for (int r = 0; r < repeat; ++r) Best(f.SaveWall, f.SaveCpu, [&] { project.Links->SaveToFile(path); });
    f.FileBytes = FileSizeOf(path);
    for (int r = 0; r < repeat; ++r) {
        // The snapshot is what the run's thread waits for; the rest runs
        // beside it.
        double w0 = Seconds(CLOCK_MONOTONIC), c0 = Seconds(CLOCK_THREAD_CPUTIME_ID);
        TLinkDataWriter writer;
        writer.Start(*project.Links, path, kLinkDataVersion);
        double stall = Seconds(CLOCK_MONOTONIC) - w0;
        f.StallCpu = std::min(f.StallCpu, Seconds(CLOCK_THREAD_CPUTIME_ID) - c0);
        writer.Wait();
        f.StallWall = std::min(f.StallWall, stall);
        f.AutosaveWall = std::min(f.AutosaveWall, Seconds(CLOCK_MONOTONIC) - w0);
    }
    TDownloadProject loaded;
    for (int r = 0; r < repeat; ++r) {
        loaded.Links->Clear();
        double wall = 1e9, cpu = 1e9;
        Best(wall, cpu, [&] { loaded.Links->LoadFromFile(path); });
        if (r == 0) f.FirstLoadWall = wall;
        f.LoadWall = std::min(f.LoadWall, wall);
        f.LoadCpu = std::min(f.LoadCpu, cpu);
        if (loaded.Links->Count() != f.Links) {
            std::fprintf(stderr, "the loaded list holds %d links, not %d\n", loaded.Links->Count(), f.Links);
            std::exit(1);
        }
    }
    return f;
}

} // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    std::vector<int> sizes{2000, 20000, 100000};
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--sizes" && i + 1 < argc) {
            sizes.clear();
            for (const char* s = argv[++i]; *s;) {
                sizes.push_back(std::max(1, std::atoi(s)));
                const char* comma = std::strchr(s, ',');
                s = comma ? comma + 1 : s + std::strlen(s);
            }
        } else if (a == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else {
            std::fprintf(stderr, "usage: link_data_file_bench [--repeat K] [--sizes N,N,...] [--keep DIR]\n");
            return 2;
        }
    }
    char pattern[] = "/tmp/vorlin-linkdata-XXXXXX";
    std::string dir = keep.empty() ? std::string(::mkdtemp(pattern)) : keep;

    std::printf("%8s %8s %9s %9s %9s %9s %10s %9s %9s %10s %11s %10s\n", "pages", "links", "save_s", "save_cpu",
                "load_s", "load_cpu", "first_load", "stall_ms", "stall_cpu", "autosave_s", "file_B/link", "mem_B/link");
    std::vector<TFigures> all;
    for (int pages : sizes) {
        TFigures f = Measure(pages, repeat, dir);
        all.push_back(f);
        std::printf("%8d %8d %9.3f %9.3f %9.3f %9.3f %10.3f %9.1f %9.1f %10.3f %11.1f %10.0f\n", pages, f.Links,
                    f.SaveWall, f.SaveCpu, f.LoadWall, f.LoadCpu, f.FirstLoadWall, f.StallWall * 1000, f.StallCpu * 1000,
                    f.AutosaveWall,
                    static_cast<double>(f.FileBytes) / f.Links, f.BytesPerLink);
        std::fflush(stdout);
    }
    if (all.size() >= 2) {
        const TFigures& a = all[all.size() - 2];
        const TFigures& b = all.back();
        std::printf("ratio %d/%d links: save %.2f, load %.2f, first load %.2f, stall %.2f (links %.2f)\n", b.Links,
                    a.Links, b.SaveWall / a.SaveWall, b.LoadWall / a.LoadWall, b.FirstLoadWall / a.FirstLoadWall,
                    b.StallWall / a.StallWall,
                    static_cast<double>(b.Links) / a.Links);
    }
    if (keep.empty()) {
        for (int pages : sizes) DeleteFile(dir + "/links-" + std::to_string(pages) + ".dat");
        RemoveDir(dir);
    }
    return 0;
}
