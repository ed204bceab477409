// The patcher's one window: a small progress window (class
// "AR_UPDATERCLASS" for other programs) with the current file and phase,
// each with its progress bar. It serves the thread's platform messages, so
// the restarted main program's close request reaches it, and closing it
// ends the patcher.
#pragma once

#include "updater/PatcherView.h"

#include <QWidget>
#include <memory>

class QLabel;
class QProgressBar;
class QSocketNotifier;

namespace vorlin {
class TMessageTarget;
class TPublishedWindow;
}

namespace vorlin::updater {

class TPatcherWindow : public QWidget, public IPatcherView {
    Q_OBJECT
public:
    TPatcherWindow();
    ~TPatcherWindow() override;

    // Publishes the window for the other programs (after it was shown).
    void Publish();
    bool Closed() const { return FClosed; }

    void SetPhaseText(const std::string& text) override;
    void SetFileText(const std::string& text) override;
    void SetFileProgress(int percent) override;
    void SetPhaseProgress(int percent) override;
    bool ProcessMessages() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void PumpPlatformMessages();

    QLabel* FFileText;
    QProgressBar* FFileProgress;
    QLabel* FPhaseText;
    QProgressBar* FPhaseProgress;
    QSocketNotifier* FNotifier;
    std::unique_ptr<TMessageTarget> FTarget;
    std::unique_ptr<TPublishedWindow> FPublished;
    bool FClosed = false;
};

} // namespace vorlin::updater
