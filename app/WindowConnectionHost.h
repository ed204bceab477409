// What connection control asks of the main window, answered by the window.
#pragma once

#include "app/HttpGetForm.h"
#include "app/QueueModel.h"
#include "app/connection/ConnectionControl.h"
#include "ui/LogModel.h"

namespace vorlin::app {

class TConnectionHost : public IConnectionHost {
public:
    explicit TConnectionHost(THttpGetForm& window) : FWindow(window) {}
    const TProgramSettings& ConnectionSettings() const override { return FWindow.Settings(); }
    bool QueueEmpty() const override { return FWindow.Queue().Count() == 0; }
    bool DownloadIdle() const override { return !FWindow.RunExists() && FWindow.RunState() == TRunState::ssIdle; }
    bool DownloadPaused() const override { return FWindow.RunExists() && FWindow.RunState() == TRunState::ssPaused; }
    void StartDownload() override { FWindow.StartDownload(); }
    void PauseDownload() override { FWindow.PauseDownload(); }
    void ConnectionLog(const std::string& line, bool error) override {
        if (error)
            FWindow.Log().AddError(QString::fromStdString(line));
        else
            FWindow.Log().AddLine(QString::fromStdString(line));
    }

private:
    THttpGetForm& FWindow;
};

} // namespace vorlin::app
