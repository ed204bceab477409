// The modeless "Closing Download" window shown while a run shuts down:
// "Shutdown initiated" at first, then the run's shut-down progress and
// status text. The user can't close it; the main window does when the run
// has ended.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QProgressBar;

namespace vorlin::app {

class TfmClosingDownload : public QDialog {
    Q_OBJECT
public:
    explicit TfmClosingDownload(QWidget* parent = nullptr);

    void SetProgress(int percent, const std::string& text);
    int Progress() const;
    QString StatusText() const;

    // Escape and the window's close button do nothing: the run decides.
    void reject() override {}

private:
    QLabel* FStatus;
    QProgressBar* FProgress;
};

} // namespace vorlin::app
