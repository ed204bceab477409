#include "app/ClipboardWatch.h"

#include "app/UrlCandidate.h"

#include <QClipboard>

namespace vorlin::app {

TClipboardWatch::TClipboardWatch(QClipboard* clipboard, QObject* parent) : QObject(parent), FClipboard(clipboard) {
    setObjectName("ClipboardWatch");
    connect(FClipboard, &QClipboard::dataChanged, this, [this] { Changed(); });
}

void TClipboardWatch::CopyOwn(const QString& text) {
    FOwnText = text;
    FCopying = true;
    FClipboard->setText(text);
    FCopying = false;
}

void TClipboardWatch::Changed() {
    if (FCopying || FReacting) return;
    const QString text = FClipboard->text();
    if (!FOwnText.isNull()) {
        if (text == FOwnText) return;
        FOwnText.clear();  // someone else copied since
    }
    if (!FEnabled || !OnUrl) return;
    const std::optional<std::string> url = UrlCandidate(text.toStdString());
    if (!url) return;
    FReacting = true;
    try {
        OnUrl(*url);
    } catch (...) {
        // A failed reaction must not keep the watch deaf.
        FReacting = false;
        throw;
    }
    FReacting = false;
}

} // namespace vorlin::app
