// The file selection's tree over many links: building it (the time the
// "Loading Structure..." window shows), the memory the tree keeps, ticking
// everything; and the cost of one message to another program's window.
#include "app/dialogs/StructureSelectionModel.h"
#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <thread>

#include <malloc.h>
#include <unistd.h>

using namespace vorlin;
using namespace vorlin::app;

namespace {

int64_t HeapInUse() { return static_cast<int64_t>(mallinfo2().uordblks); }

// Links spread over 7 hosts, 97 directories each with 13 below.
std::unique_ptr<TDownloadProject> Site(int links) {
    auto project = std::make_unique<TDownloadProject>();
    for (int i = 0; i < links; ++i) {
        auto* link = new TDownloadLink(project.get());
        link->SetServer("http://host" + std::to_string(i % 7) + "/");
        link->Path = "d" + std::to_string(i % 97) + "/s" + std::to_string(i % 13) + "/file" + std::to_string(i) + ".html";
        link->LocalFileName = link->Path;
        project->Links->Add(link);
    }
    return project;
}

void BM_StructureTree(benchmark::State& state) {
    auto project = Site(static_cast<int>(state.range(0)));
    int64_t kept = 0;
    for (auto _ : state) {
        const int64_t before = HeapInUse();
        TStructureSelectionModel model(*project);
        kept = HeapInUse() - before;
        benchmark::DoNotOptimize(model.NodeCount());
    }
    state.counters["links"] = static_cast<double>(state.range(0));
    state.counters["MB_kept"] = static_cast<double>(kept) / (1024.0 * 1024.0);
}
BENCHMARK(BM_StructureTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_TickEverything(benchmark::State& state) {
    auto project = Site(100000);
    TStructureSelectionModel model(*project);
    bool on = true;
    for (auto _ : state) {
        model.SetChecked(QModelIndex(), on);
        on = !on;
    }
}
BENCHMARK(BM_TickEverything)->Unit(benchmark::kMillisecond);

// A window published on a thread of its own, as another program's would be.
void BM_RemoteMessage(benchmark::State& state) {
    QTemporaryDir directory;
    SetInterProcessDirectoryForTests((directory.path() + "/HTTPVorlin").toStdString());
    std::atomic<TRemoteWindow> window{0};
    std::atomic<bool> stop{false};
    std::atomic<int> received{0};
    std::thread receiver([&] {
        TMessageTarget target([&](TMsg&) -> intptr_t {
            ++received;
            return 0;
        });
        auto published = PublishWindow("TBenchForm", target.Handle());
        window = published->Window();
        while (!stop) {
            TMsg msg;
            while (PeekMessage(msg)) DispatchMessage(msg);
            WaitMessage(5);
        }
    });
    while (window == 0) std::this_thread::yield();
    TCopyData data;
    data.Bytes.assign(64, 'x');
    for (auto _ : state) {
        if (state.range(0) == 0)
            PostRemoteMessage(window, RegisterWindowMessage("HWM_QUEUETASK"), 1, 2);
        else
            SendCopyData(window, 0, data);
    }
    stop = true;
    receiver.join();
    state.SetLabel(state.range(0) == 0 ? "post" : "WM_COPYDATA, 64 bytes");
}
BENCHMARK(BM_RemoteMessage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
