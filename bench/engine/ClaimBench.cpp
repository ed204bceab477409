// The scheduler's cost per link as a site grows: a simulated crawl in which
// every claimed page brings 10 new pages (appended to the list) and 5 images
// (inserted right after it), each entering the claimable links, until the
// list holds N links and every one has been claimed. The time per link must
// stay flat (or grow with log N) from 10,000 to 1,000,000 links. The same
// crawl over a plain queue gives the cost of the link list itself.
#include "engine/ClaimableLinks.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <string>

namespace {

using namespace vorlin;

TDownloadLink* NewLink(TDownloadProject& project, int number, TLinkType type) {
    auto* link = new TDownloadLink(&project);
    link->SetServer("http://bench.test/");
    link->Path = "l" + std::to_string(number);
    link->LocalFileName = link->Path;
    link->LinkType = type;
    return link;
}

// The same crawl with the claimable links (useClaimable) or with a plain
// queue in their place: the difference is what the scheduler's order costs.
void Crawl(benchmark::State& state, bool useClaimable) {
    const int total = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_unique<TDownloadProject>();
        TDownloadLinks& list = *project->Links;
        TClaimableLinks claimable(list);
        state.ResumeTiming();

        std::deque<TDownloadLink*> plain;
        auto offer = [&](TDownloadLink* link) {
            if (useClaimable)
                claimable.Add(link);
            else
                plain.push_back(link);
        };
        auto next = [&]() -> TDownloadLink* {
            if (useClaimable) return claimable.TakeFirst(claimable.BeginScan());
            if (plain.empty()) return nullptr;
            TDownloadLink* link = plain.front();
            plain.pop_front();
            return link;
        };
        int made = 0;
        TDownloadLink* start = NewLink(*project, made++, ltPage);
        list.Add(start);
        offer(start);
        int claimed = 0;
        while (TDownloadLink* link = next()) {
            ++claimed;
            if (link->LinkType != ltPage) continue;
            for (int i = 0; i < 10 && made < total; ++i) {
                TDownloadLink* page = NewLink(*project, made++, ltPage);
                list.Add(page);
                offer(page);
            }
            for (int i = 0; i < 5 && made < total; ++i) {
                TDownloadLink* image = NewLink(*project, made++, ltSource);
                list.InsertAfter(link, image);
                offer(image);
            }
        }
        benchmark::DoNotOptimize(claimed);

        state.PauseTiming();
        project.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * total);
}

void BM_CrawlClaims(benchmark::State& state) { Crawl(state, true); }
void BM_CrawlListOnly(benchmark::State& state) { Crawl(state, false); }
BENCHMARK(BM_CrawlClaims)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrawlListOnly)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
