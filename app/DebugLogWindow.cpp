#include "app/DebugLogWindow.h"

#include "platform/DebugLog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace vorlin::app {

TfmDebugLog::TfmDebugLog(QWidget* parent) : QDialog(parent), FList(new QListWidget(this)) {
    setObjectName("fmDebugLog");
    setWindowTitle("Possible Bug Window");
    setModal(false);
    resize(640, 360);
    OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    auto* copy = new QPushButton("Copy To Clipboard", this);
    copy->setObjectName("btCopy");
    auto* mail = new QPushButton("Send as Mail", this);
    mail->setObjectName("btMail");
    auto* close = new QPushButton("Close", this);
    connect(copy, &QPushButton::clicked, this, &TfmDebugLog::CopyToClipboard);
    connect(mail, &QPushButton::clicked, this, &TfmDebugLog::SendAsMail);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(mail);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FList);
    layout->addLayout(buttons);
}

TfmDebugLog::~TfmDebugLog() {
    if (FInstalled) SetDebugLogSink({});
}

void TfmDebugLog::Install() {
    FInstalled = true;
    SetDebugLogSink([this](const std::string& line) { AddLine(line); });
}

void TfmDebugLog::AddLine(const std::string& line) {
    {
        std::lock_guard<std::mutex> guard(FLock);
        FLines << QString::fromStdString(line);
        if (FRefreshPosted) return;
        FRefreshPosted = true;
    }
    // The widget is touched on the GUI thread only; the line is already kept.
    QMetaObject::invokeMethod(this, [this] { Refresh(); }, Qt::QueuedConnection);
}

QStringList TfmDebugLog::Lines() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FLines;
}

void TfmDebugLog::Refresh() {
    QStringList fresh;
    {
        std::lock_guard<std::mutex> guard(FLock);
        FRefreshPosted = false;
        fresh = FLines.mid(FShown);
        FShown = static_cast<int>(FLines.size());
    }
    FList->addItems(fresh);
    FList->scrollToBottom();
    if (FShowOnReport && !fresh.isEmpty()) show();
}

void TfmDebugLog::CopyToClipboard() { QApplication::clipboard()->setText(Lines().join('\n')); }

void TfmDebugLog::SendAsMail() {
    const QByteArray body = QUrl::toPercentEncoding(Lines().join("\r\n"));
    const QUrl url = QUrl::fromEncoded(QByteArray("mailto:") + kSupportAddress + "?subject=Bugs&body=" + body);
    if (OpenUrl) OpenUrl(url);
}

} // namespace vorlin::app
