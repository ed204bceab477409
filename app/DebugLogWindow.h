// TfmDebugLog, the "Possible Bug Window": lines of internal warnings and
// of exceptions nothing else caught. It is the sink of platform/DebugLog.h:
// a line from any thread is stored at once, in the order of the calls, and
// the window shows it on the GUI thread. "Copy To Clipboard" copies every
// line; "Send as Mail" opens a mail to our support address.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <mutex>

class QListWidget;

namespace vorlin::app {

class TfmDebugLog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSupportAddress = "support@httpvorlin.org";

    explicit TfmDebugLog(QWidget* parent = nullptr);
    ~TfmDebugLog() override;

    // Makes this window the program's debug log (undone by the destructor).
    void Install();
    // Adds a line from any thread; shows the window.
    void AddLine(const std::string& line);
    QStringList Lines() const;
    // Whether a report asks to show the window (tests keep it hidden).
    void SetShowOnReport(bool show) { FShowOnReport = show; }

    void CopyToClipboard();
    void SendAsMail();
    // The mail is opened through this; tests put a recorder in place.
    std::function<bool(const QUrl& url)> OpenUrl;

private:
    void Refresh();

    mutable std::mutex FLock;
    QStringList FLines;     // every line, in call order
    int FShown = 0;         // lines already in the list widget
    bool FRefreshPosted = false;
    bool FShowOnReport = true;
    bool FInstalled = false;
    QListWidget* FList;
};

} // namespace vorlin::app
