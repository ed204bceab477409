// The statistics of a project ("Projekt-Statistik"): rates, counts, the
// last run's duration and the bytes downloaded, with "Zurücksetzen" to
// start counting afresh. The caller saves the project afterwards.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;

namespace vorlin {
class TDownloadProject;
}

namespace vorlin::app {

// Zeroes what the statistics show (RunSize, the current run's count, stays).
void ResetProjectStatistics(TDownloadProject& project);

// Bytes per second as KB/s cut (not rounded) two digits after the point.
std::string FormatRate(int32_t bytesPerSecond);
// A duration in days as "h:mm:ss"; hours go on past 24.
std::string FormatDuration(double days);
// Bytes as "%.2f KB".
std::string FormatKB(int64_t bytes);

class TfmProjectInformation : public QDialog {
    Q_OBJECT
public:
    TfmProjectInformation(TDownloadProject& project, QWidget* parent = nullptr);

    // Shows the project's current figures.
    void ShowStatistics();
    void Reset();

private:
    TDownloadProject& FProject;
    QLabel* FAverageCPS;
    QLabel* FPeekCPS;
    QLabel* FFileCount;
    QLabel* FFilteredOutCount;
    QLabel* FDownloadedCount;
    QLabel* FLastDuration;
    QLabel* FProjectSize;
};

} // namespace vorlin::app
