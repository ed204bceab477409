// Watches the clipboard (QClipboard::dataChanged) while clipboard watching
// is on, and hands on every copied address (UrlCandidate.h). The window's
// own copies (a URL from the structure view or a connection row, log
// lines) go through CopyOwn and are never taken for the user's.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QClipboard;

namespace vorlin::app {

class TClipboardWatch : public QObject {
    Q_OBJECT
public:
    TClipboardWatch(QClipboard* clipboard, QObject* parent);

    void SetEnabled(bool enabled) { FEnabled = enabled; }
    bool Enabled() const { return FEnabled; }
    // Puts text on the clipboard without reacting to it.
    void CopyOwn(const QString& text);
    // A copied address, while watching is on (not called for the window's
    // own copies, nor again while a call is under way).
    std::function<void(const std::string& url)> OnUrl;

    // What a change of the clipboard does (the signal's handler).
    void Changed();

private:
    QClipboard* FClipboard;
    bool FEnabled = false;
    bool FCopying = false;   // inside CopyOwn: platforms that tell at once
    bool FReacting = false;  // OnUrl runs (its dialogs may see more changes)
    // The text of the last own copy: platforms that tell later still see
    // it then, and it is no copy of the user's.
    QString FOwnText;
};

} // namespace vorlin::app
