// What the rules cost a download: masks compiled and matched per link, the
// rule walk per link and phase, and loading a large rules file.
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "rules/FileSizeCondition.h"
#include "rules/HTTPVorlinAction.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/Mask.h"
#include "rules/MaskConditions.h"

#include <benchmark/benchmark.h>

#include <string>
#include <cstdlib>

using namespace vorlin;

namespace {

const std::string kURL = "http://www.example.com/images/gallery/2024/holiday/IMG_1234.JPG?size=large";

void MaskMatchesURL(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MaskMatches(kURL, "http://*/images/*.jp[eg]*"));
}
BENCHMARK(MaskMatchesURL);

void CompiledMaskMatchesURL(benchmark::State& state) {
    TMask mask("http://*/images/*.jp[eg]*");
    for (auto _ : state) benchmark::DoNotOptimize(mask.IsMatch(kURL));
}
BENCHMARK(CompiledMaskMatchesURL);

// Twelve stars against a long text that almost matches: the case a full
// backtracking search cannot finish.
void ManyStarsLongText(benchmark::State& state) {
    std::string text(static_cast<size_t>(state.range(0)), 'a');
    TMask mask("*a*a*a*a*a*a*a*a*a*a*a*a*b");
    for (auto _ : state) benchmark::DoNotOptimize(mask.IsMatch(text));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ManyStarsLongText)->Range(256, 16384)->Complexity();

template <class T> T& Element(TFilterRule& rule) {
    T* element = FindElement<T>(rule);
    if (!element) std::abort();
    return *element;
}

// A project with n rules, each "name matches one of three masks and size above 10 KB".
void FillRules(THTTPVorlinRules& rules, int n) {
    for (int i = 0; i < n; ++i) {
        THTTPVorlinRule& rule = rules.Add();
        rule.Enabled = true;
        auto& name = Element<TFileNameCondition>(rule);
        name.Active = true;
        name.Mode = THTTPVorlinCondition::cmAny;
        name.Masks = {"*.gif", "*.png", "rule" + std::to_string(i) + "*.jpg"};
        auto& size = Element<TFileSizeCondition>(rule);
        size.Active = size.GreaterEnabled = true;
        size.MinSize = 10;
        Element<TExcludeAction>(rule).Active = true;
    }
}

void RunPhasePerLink(benchmark::State& state) {
    TDownloadProject project;
    TDownloadLink link(&project);
    link.SetServer("http://www.example.com/");
    link.Path = "images/gallery/IMG_1234.JPG";
    link.LocalFileName = "images\\gallery\\IMG_1234.JPG";
    link.Size = 50 * 1024;
    THTTPVorlinRules rules;
    FillRules(rules, static_cast<int>(state.range(0)));
    const int phase = static_cast<int>(state.range(1));
    for (auto _ : state) rules.RunPhase(link, project, phase);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RunPhasePerLink)->Args({20, 0})->Args({20, 1})->Args({200, 1});

void LoadRulesFile(benchmark::State& state) {
    THTTPVorlinRules source;
    FillRules(source, static_cast<int>(state.range(0)));
    TMemoryStream data;
    source.SaveToStream(data);
    for (auto _ : state) {
        THTTPVorlinRules rules;
        data.SetPosition(0);
        rules.LoadFromStream(data);
        benchmark::DoNotOptimize(rules.Count());
    }
    state.SetBytesProcessed(state.iterations() * data.Size());
}
BENCHMARK(LoadRulesFile)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
