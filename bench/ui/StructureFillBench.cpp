// The structure view with a large site: 100,000 links go into the model in
// the window's batches, behind a sorting proxy and a tree view, the event
// loop running between batches as it does in the program; then every link
// changes its size once (the download), which adds up to every ancestor.
// Prints the time to fill, the time of the updates, the longest single
// batch (how long the window stands still at worst) and the memory taken.
#include "ui/StructureTreeModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

using vorlin::ui::TStructureNode;
using vorlin::ui::TStructureTreeModel;

namespace {

long ResidentKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

double CpuMs() { return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC; }

// A site's paths: 20 sections of 50 directories of 100 files each (by the
// order links are found: pages spread over the site, not sorted).
std::vector<std::vector<std::string>> SitePaths(int count) {
    std::vector<std::vector<std::string>> paths;
    paths.reserve(static_cast<size_t>(count));
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int section = static_cast<int>(seed >> 8) % 20;
        const int directory = static_cast<int>(seed >> 16) % 50;
        paths.push_back({"www.example.org", "section-" + std::to_string(section), "dir-" + std::to_string(directory),
                         "page-" + std::to_string(i) + ".html"});
    }
    return paths;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int links = argc > 1 ? std::stoi(argv[1]) : 100000;
    const int batch = argc > 2 ? std::stoi(argv[2]) : 256;
    std::vector<std::vector<std::string>> paths = SitePaths(links);

    TStructureTreeModel model;
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&model);
    sorted.setDynamicSortFilter(true);
    QTreeView view;
    view.setModel(&sorted);
    view.setSortingEnabled(true);
    view.sortByColumn(0, Qt::AscendingOrder);
    view.setUniformRowHeights(true);
    view.resize(400, 600);
    view.show();
    QApplication::processEvents();
    // The window opens the host, so its children are laid out as they come.
    QObject::connect(&sorted, &QAbstractItemModel::rowsInserted, &view, [&](const QModelIndex& parent, int first) {
        if (!parent.isValid()) view.expand(sorted.index(first, 0));
    });

    const long before = ResidentKB();
    std::vector<TStructureNode*> nodes(static_cast<size_t>(links));
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = CpuMs();
    qint64 worstBatch = 0;
    for (int i = 0; i < links; i += batch) {
        QElapsedTimer one;
        one.start();
        model.BeginBatch();
        for (int j = i; j < std::min(links, i + batch); ++j)
            nodes[static_cast<size_t>(j)] = model.Add(paths[static_cast<size_t>(j)], nullptr, 0, 0);
        model.EndBatch();
        QApplication::processEvents();
        worstBatch = std::max(worstBatch, one.elapsed());
    }
    const qint64 fillMs = wall.elapsed();
    const double fillCpu = CpuMs() - cpuStart;
    const long afterFill = ResidentKB();

    wall.restart();
    qint64 worstUpdate = 0;
    for (int i = 0; i < links; i += batch) {
        QElapsedTimer one;
        one.start();
        model.BeginBatch();
        for (int j = i; j < std::min(links, i + batch); ++j) model.Update(nodes[static_cast<size_t>(j)], 4096 + j % 1000, 1);
        model.EndBatch();
        QApplication::processEvents();
        worstUpdate = std::max(worstUpdate, one.elapsed());
    }
    const qint64 updateMs = wall.elapsed();

    std::printf("structure view, %d links in batches of %d (model + sorting proxy + tree view, offscreen)\n", links,
                batch);
    std::printf("  fill:    %6lld ms wall, %6.0f ms cpu, longest batch %lld ms\n", static_cast<long long>(fillMs),
                fillCpu, static_cast<long long>(worstBatch));
    std::printf("  update:  %6lld ms wall (every size once), longest batch %lld ms\n", static_cast<long long>(updateMs),
                static_cast<long long>(worstUpdate));
    std::printf("  nodes:   %zu\n", model.NodeCount());
    std::printf("  memory:  %ld KB resident for the filled view (%.0f bytes per link)\n", afterFill - before,
                (afterFill - before) * 1024.0 / links);
    return 0;
}
